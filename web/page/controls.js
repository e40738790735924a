// The window's controls, built from the layout table that the module exports and placed
// where the module's window model puts them.
import { scrollBar } from './scrollbar.js';

export function fontOf(row, factor) {
  return `${row.font.bold ? 700 : 400} ${row.font.pointSize * factor}pt "${row.font.family}"`;
}

// Builds every control into `window`; `dispatch(name)` runs a control's handler.
// Returns name → { row, node, input }, in the table's order.
export function build(layout, window, dispatch, placement) {
  const controls = new Map();
  const stacking = new Map(layout.stackingTopDown.map((name, i) => [name, layout.stackingTopDown.length - i]));
  for (const row of layout.controls) {
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
        node.setAttribute('role', 'group');
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
    if (input && row.tab >= 0)
      input.tabIndex = row.tab + 1;
    if (row.background && node.className !== 'control surface')
      node.style.background = row.background;
    node.style.zIndex = stacking.get(row.name) || 1;
    node.hidden = !row.shown;
    parent.append(node);
    controls.set(row.name, { row, node, input });
  }
  return controls;
}

// `rects` holds x, y, width and height of each control in the table's order, in CSS
// pixels of its container.
export function place(controls, factor, rects) {
  let i = 0;
  const widths = new Map();
  for (const { row, node, input } of controls.values()) {
    const s = node.style;
    s.left = `${rects[i]}px`;
    s.top = `${rects[i + 1]}px`;
    s.width = `${rects[i + 2]}px`;
    s.height = `${rects[i + 3]}px`;
    widths.set(row.name, rects[i + 2]);
    if (row.kind === 'optionButton') {
      // a touch anywhere on the button's row of its frame selects it
      s.setProperty('--reach-left', `${rects[i]}px`);
      s.setProperty('--reach-right', `${widths.get(row.container) - rects[i] - rects[i + 2]}px`);
    }
    i += 4;
    if (row.kind !== 'line')
      s.font = fontOf(row, factor);
    if (row.kind === 'hScrollBar')
      input.layout();
  }
}
