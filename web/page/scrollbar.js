// A horizontal scroll bar as the desktop's, over the layout's range: one step per click on an
// arrow or in the trough, and a drag of the thumb counts as one change, on release.
export function scrollBar(layout, placement, changed) {
  const bar = document.createElement('div');
  bar.className = 'control scrollbar';
  bar.setAttribute('role', 'scrollbar');
  bar.setAttribute('aria-orientation', 'horizontal');
  bar.setAttribute('aria-label', 'Zpomalení');
  const less = document.createElement('div');
  const trough = document.createElement('div');
  const thumb = document.createElement('div');
  const more = document.createElement('div');
  less.className = 'arrow less';
  more.className = 'arrow more';
  trough.className = 'trough';
  thumb.className = 'thumb';
  trough.append(thumb);
  bar.append(less, trough, more);
  const min = layout.scrollMinimum;
  const max = layout.scrollMaximum;
  bar.setAttribute('aria-valuemin', min);
  bar.setAttribute('aria-valuemax', max);
  bar.value = min;
  let dragging = null;
  let repeat = null;

  const thumbWidth = (troughWidth = trough.clientWidth) => Math.min(troughWidth, Math.max(8, Math.round(26 * placement.factor)));
  const showValue = (value, troughWidth = trough.clientWidth) => {
    const width = thumbWidth(troughWidth);
    thumb.style.width = `${width}px`;
    thumb.style.left = `${Math.round((troughWidth - width) * (value - min) / (max - min))}px`;
  };
  const setValue = (value) => {
    value = Math.min(max, Math.max(min, Math.round(value)));
    showValue(value);
    if (value === bar.value)
      return;
    bar.value = value;
    bar.setAttribute('aria-valuenow', value);
    changed();
  };
  // placed at this size, in CSS pixels: the arrows are square within the border, and
  // the trough has the rest (worked out, not read back, which would lay out the page)
  bar.layout = (width, height) => {
    const inner = height - 2;
    less.style.width = more.style.width = `${inner}px`;
    showValue(bar.value, width - 2 - 2 * inner);
  };
  bar.setAttribute('aria-valuenow', min);
  const stopRepeat = () => { clearTimeout(repeat); clearInterval(repeat); repeat = null; };
  const stepping = (step) => {
    stopRepeat();
    setValue(bar.value + step);
    repeat = setTimeout(() => { repeat = setInterval(() => setValue(bar.value + step), 50); }, 300);
  };
  // a click anywhere on the bar, as after a run it is handed on
  bar.clickAt = (x) => {
    const at = (node) => { const r = node.getBoundingClientRect(); return x >= r.left && x < r.right; };
    if (at(less)) setValue(bar.value - 1);
    else if (at(more)) setValue(bar.value + 1);
    else if (!at(thumb)) setValue(bar.value + (x < thumb.getBoundingClientRect().left ? -1 : 1));
  };
  bar.addEventListener('pointerdown', (e) => {
    if (e.button !== 0)
      return;
    e.preventDefault();
    bar.focus();
    if (e.target === thumb) {
      dragging = { start: e.clientX, from: thumb.offsetLeft };
      thumb.setPointerCapture(e.pointerId);
    } else if (e.target === less || less.contains(e.target)) {
      stepping(-1);
    } else if (e.target === more || more.contains(e.target)) {
      stepping(1);
    } else {
      stepping(e.clientX < thumb.getBoundingClientRect().left ? -1 : 1);
    }
  });
  const valueAtThumb = (left) => {
    const room = trough.clientWidth - thumbWidth();
    return room > 0 ? min + (max - min) * Math.min(room, Math.max(0, left)) / room : bar.value;
  };
  thumb.addEventListener('pointermove', (e) => {
    if (dragging)
      thumb.style.left = `${Math.min(trough.clientWidth - thumbWidth(), Math.max(0, dragging.from + e.clientX - dragging.start))}px`;
  });
  thumb.addEventListener('pointerup', (e) => {
    if (!dragging)
      return;
    const left = dragging.from + e.clientX - dragging.start;
    dragging = null;
    setValue(valueAtThumb(left));
  });
  thumb.addEventListener('pointercancel', () => { dragging = null; showValue(bar.value); });
  for (const type of ['pointerup', 'pointercancel', 'pointerleave'])
    bar.addEventListener(type, stopRepeat);
  bar.addEventListener('keydown', (e) => {
    const steps = { ArrowLeft: -1, ArrowUp: -1, PageUp: -1, ArrowRight: 1, ArrowDown: 1, PageDown: 1 };
    if (e.key in steps) setValue(bar.value + steps[e.key]);
    else if (e.key === 'Home') setValue(min);
    else if (e.key === 'End') setValue(max);
    else return;
    e.preventDefault();
  });
  return bar;
}
