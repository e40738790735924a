// Writes the window's controls into index.html, so that they show at the first paint,
// while the module loads: the page's own build() (controls.js) runs here over a small
// document that writes HTML, from the layout table that the module's code prints, with
// the texts, the shown controls and the selected options of the window after start-up.
//
//   node controls-html.mjs lumetra_layout_tool.js page/index.html out/index.html [style.css]
//
// The style sheet, when given, goes into the page itself: one request less before the
// first paint.
//
// Until the module places them, CSS puts them where the window's factor would: the
// design area fitted to the viewport, centred, never below the smallest factor.
import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const [tool, template, out, style] = process.argv.slice(2);
const startUp = JSON.parse(execFileSync(process.execPath, [tool], { encoding: 'utf8' }));
const layout = { ...startUp.layout, controls: startUp.layout.controls.map((row) => ({
  ...row, text: startUp.texts[row.name] ?? row.text, shown: startUp.shown[row.name] ?? row.shown })) };
const page = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../page');

const escapeText = (s) => String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
const escapeAttr = (s) => escapeText(s).replace(/"/g, '&quot;');
const kebab = (name) => name.replace(/[A-Z]/g, (c) => `-${c.toLowerCase()}`);

class Node {
  constructor(tag) {
    this.tag = tag;
    this.attributes = new Map();
    this.children = [];
    this.style = {};
    this.text = null;
    this.hidden = false;
  }
  setAttribute(name, value) { this.attributes.set(name, String(value)); }
  addEventListener() {}
  append(...nodes) { this.children.push(...nodes); }
  set textContent(text) { this.text = text; }
  html() {
    const a = new Map(this.attributes);
    const property = { id: 'id', className: 'class', type: 'type', name: 'name', autocomplete: 'autocomplete' };
    for (const [key, attribute] of Object.entries(property))
      if (this[key] !== undefined) a.set(attribute, this[key]);
    if (this.tag === 'input' && this.value !== undefined) a.set('value', this.value);
    if (this.spellcheck === false) a.set('spellcheck', 'false');
    if (this.tabIndex !== undefined) a.set('tabindex', this.tabIndex);
    if (this.checked) a.set('checked', '');
    const style = Object.entries(this.style).map(([k, v]) => `${kebab(k)}:${v}`).join(';');
    if (style) a.set('style', style);
    const attributes = [...a].map(([k, v]) => ` ${k}="${escapeAttr(v)}"`).join('') + (this.hidden ? ' hidden' : '');
    if (this.tag === 'input')
      return `<input${attributes}>`;
    const inner = this.text !== null ? escapeText(this.text) : this.children.map((c) => c.html()).join('');
    return `<${this.tag}${attributes}>${inner}</${this.tag}>`;
  }
}
globalThis.document = { createElement: (tag) => new Node(tag) };

const { build } = await import(pathToFileURL(path.join(page, 'controls.js')));
const window = new Node('main');
const controls = build(layout, window, () => {}, { factor: 1 });

// Faces of the same widths as the shipped ones, as most systems have them: the HTML's
// window shows in them, so its first paint waits for no font (the page loads its own,
// with the module, for the live controls).
const fallback = (family) => (family.includes('Serif') ? '"Times New Roman", serif' : 'Arial, sans-serif');

// Each control at factor 1, in CSS pixels of its container, as the layout rounds it;
// --f is a CSS pixel of factor 1 at the viewport's factor.
const px = (twips) => Math.round(twips / layout.twipsPerPixel);
for (const { row, node, input } of controls.values()) {
  if (startUp.checked[row.name])
    input.checked = true;
  const r = row.kind === 'line'
    ? [px(row.left), px(row.top), 1, px(row.height) - px(row.top) + 1]
    : [px(row.left), px(row.top), px(row.width), px(row.height)];
  const [x, y] = row.container ? ['0px', '0px'] : ['var(--x)', 'var(--y)'];
  Object.assign(node.style, {
    left: `calc(${x} + var(--f) * ${r[0]})`, top: `calc(${y} + var(--f) * ${r[1]})`,
    width: `calc(var(--f) * ${r[2]})`, height: `calc(var(--f) * ${r[3]})`,
  });
  if (row.kind === 'line')
    node.style.background = layout.foreground;
  else
    node.style.font = `${row.font.bold ? 700 : 400} calc(var(--f) * ${row.font.pointSize * 4 / 3}) ${fallback(row.font.family)}`;
}
const w = layout.designWidth / layout.twipsPerPixel, h = layout.designHeight / layout.twipsPerPixel;
const f = `max(${layout.minimumFactor}px, min(100vw / ${w}, 100vh / ${h}))`;
// The table itself goes along for the page's script, which builds the live controls
// from it without waiting on the module to write it out.
const table = JSON.stringify(startUp.layout).replaceAll('<', '\\u003c');
// Only the HTML's controls use the factor and the margins. The properties stay on the
// window once its live controls have come even so: were they to go, every element in it
// would have its style worked out again in the task that shows the live window.
const placement = `<style>.window { --f: ${f}; --x: max(0px, (100vw - ${w} * var(--f)) / 2);`
  + ` --y: max(0px, (100vh - ${h} * var(--f)) / 2); }</style>\n<script type="application/json" id="layout">${table}</script>`;

const html = readFileSync(template, 'utf8');
const marked = '<!-- controls -->';
if (!html.includes(marked))
  throw new Error(`${template} has no ${marked}`);
const sheet = '<link rel="stylesheet" href="lumetra.css">';
if (style && !html.includes(sheet))
  throw new Error(`${template} has no ${sheet}`);
writeFileSync(out, html.replace(marked, window.children.map((n) => n.html()).join('\n'))
  .replace('<!-- placement -->', placement)
  .replace(sheet, () => (style ? `<style>${readFileSync(style, 'utf8').trim()}</style>` : sheet)));
