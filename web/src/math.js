// Stand-ins that the page replaces with Math.sin and Math.cos themselves when it
// instantiates the module (see boot.js): an import that is the very Math function is
// called directly, without going through JavaScript.
mergeInto(LibraryManager.library, {
  lumetra_math_sin: function(x) { return Math.sin(x); },
  lumetra_math_sin__postset: '(Module["mathImports"] = Module["mathImports"] || new Map()).set(_lumetra_math_sin, Math.sin);',
  lumetra_math_cos: function(x) { return Math.cos(x); },
  lumetra_math_cos__postset: '(Module["mathImports"] = Module["mathImports"] || new Map()).set(_lumetra_math_cos, Math.cos);',
});
