// The window's controls, built from the layout table that the module exports and placed
// where the module's window model puts them.
import { scrollBar } from './scrollbar.js';

export function fontOf(row, factor) {
  return `${row.font.bold ? 700 : 400} ${row.font.pointSize * factor}pt "${row.font.family}"`;
}

// Builds every control into `window`; `dispatch(name)` runs a control's handler. The
// elements stand in the order they are read and tabbed through, each frame's buttons top
// to bottom; CSS puts each where the table does. Returns name → { row, index, node,
// input }, `index` being the row's place in the table.
export function build(layout, window, dispatch, placement) {
  const steps = building(layout, window, dispatch, placement);
  for (;;) {
    const { done, value } = steps.next();
    if (done)
      return value;
  }
}

// build() a control a step, for a page that has other work to let through meanwhile
export function* building(layout, window, dispatch, placement) {
  const controls = new Map();
  const stacking = new Map(layout.stackingTopDown.map((name, i) => [name, layout.stackingTopDown.length - i]));
  const index = new Map(layout.controls.map((row, i) => [row.name, i]));
  const read = new Set(layout.readingOrder);
  const rows = [...layout.readingOrder.map((name) => layout.controls[index.get(name)]),
    ...layout.controls.filter((row) => !read.has(row.name))];
  for (const row of rows) {
    const parent = row.container ? controls.get(row.container).node : window;
    let node;
    let input = null;
    switch (row.kind) {
      case 'textBox':
        node = input = document.createElement('input');
        node.type = 'text';
        node.value = row.text;
        node.spellcheck = false;
        node.autocomplete = 'off';
        node.className = 'control textBox' + (row.border ? '' : ' borderless');
        node.style.textAlign = row.centred ? 'center' : row.rightAligned ? 'right' : 'left';
        break;
      case 'frame': {
        node = document.createElement('div');
        node.className = 'control frame';
        const caption = document.createElement('span');
        caption.className = 'caption';
        caption.textContent = row.text;
        caption.id = `${row.name}-caption`;
        node.setAttribute('aria-labelledby', caption.id);
        node.append(caption);
        break;
      }
      case 'optionButton': {
        node = document.createElement('label');
        node.className = 'control option';
        input = document.createElement('input');
        input.type = 'radio';
        input.name = row.container;
        const caption = document.createElement('span');
        caption.textContent = row.text;
        node.append(input, caption);
        input.addEventListener('change', () => { if (input.checked) dispatch(row.name); });
        break;
      }
      case 'commandButton':
        node = input = document.createElement('button');
        node.type = 'button';
        node.className = 'control commandButton';
        node.textContent = row.text;
        node.addEventListener('click', () => dispatch(row.name));
        break;
      case 'hScrollBar':
        node = input = scrollBar(layout, placement, () => dispatch(row.name));
        break;
      default: // the label and the line: painted on the picture, under everything
        node = document.createElement('div');
        node.className = 'control surface';
        node.textContent = row.text;
        node.setAttribute('aria-hidden', 'true');
    }
    const named = input || node;
    named.id = row.name;
    if (row.role === 'none') {
      named.setAttribute('aria-hidden', 'true');
      if (input)
        input.tabIndex = -1;
    } else if (row.accessibleName && (row.kind === 'textBox' || row.accessibleName !== row.text)) {
      // a text box is named by what it stands for, not by the text it holds
      named.setAttribute('aria-label', row.accessibleName);
    }
    if (row.kind === 'frame')
      node.setAttribute('role', 'radiogroup');
    if (row.kind === 'hScrollBar' && row.tabStop)
      input.tabIndex = 0;
    if (row.background && node.className !== 'control surface')
      node.style.background = row.background;
    node.style.zIndex = stacking.get(row.name) || 1;
    node.hidden = !row.shown;
    parent.append(node);
    controls.set(row.name, { row, index: index.get(row.name), node, input });
    yield;
  }
  return controls;
}

// `rects` holds x, y, width and height of each control in the table's order, in CSS
// pixels of its container.
export function place(controls, factor, rects) {
  for (const { row, index, node, input } of controls.values()) {
    const s = node.style;
    const i = 4 * index;
    s.left = `${rects[i]}px`;
    s.top = `${rects[i + 1]}px`;
    s.width = `${rects[i + 2]}px`;
    s.height = `${rects[i + 3]}px`;
    if (row.kind === 'optionButton') {
      // a touch anywhere on the button's row of its frame selects it
      const frameWidth = rects[4 * controls.get(row.container).index + 2];
      s.setProperty('--reach-left', `${rects[i]}px`);
      s.setProperty('--reach-right', `${frameWidth - rects[i] - rects[i + 2]}px`);
    }
    if (row.kind !== 'line')
      s.font = fontOf(row, factor);
    if (row.kind === 'hScrollBar')
      input.layout(rects[i + 2], rects[i + 3]);
  }
}
