// The page's sine and cosine are the browser's own (Math.sin and Math.cos), which the page
// hands the module directly as imports. Chromium computes them as the desktop's C library
// does, so the sweep's arrows land where they land on the desktop; and V8 calls them
// straight from WebAssembly, faster than the C library's compiled into the module.
// These replace the library's sin and cos in the module.

extern "C" double lumetra_math_sin(double x);
extern "C" double lumetra_math_cos(double x);

extern "C" double sin(double x)
{
    return lumetra_math_sin(x);
}

extern "C" double cos(double x)
{
    return lumetra_math_cos(x);
}
