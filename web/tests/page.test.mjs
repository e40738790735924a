// The page behaves as the desktop window: its start-up state, the settings handlers,
// the question, the error report, input held back during a run, painting while it lasts
// and "Konec".
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { assertNoProblems, checked, launch, lumetra, open, ready, run, serve, shown, text, visit } from './harness.mjs';

let server;
let browser;
before(async () => { server = await serve(); browser = await launch(); });
after(async () => { await browser?.close(); await server?.stop(); });

// Opens a fresh page, hands it to `body`, then checks the console stayed clean.
async function withPage(options, body) {
  const { context, page, problems } = await open(browser, server.url, options);
  try {
    await body(page);
    assertNoProblems(problems);
  } finally {
    await context.close();
  }
}

const settings = (page) => page.evaluate(() => Object.fromEntries(
  ['nUhel', 'nIndex', 'nKmitočet', 'nBarva', 'nSpomalení', 'nKlepnuto', 'nMaže']
    .map((id) => [id, document.getElementById(id).value])));

describe('start-up', () => {
  test('the window is built from the layout table at the viewport\'s factor', () => withPage({ width: 1300, height: 900 }, async (page) => {
    const layout = await page.evaluate(() => JSON.parse(window.lumetra.module.UTF8ToString(window.lumetra.module._lumetra_layout())));
    assert.equal(layout.controls.length, 35);
    // the page builds from the table the HTML carries: the module's own
    assert.deepEqual(await page.evaluate(() => JSON.parse(document.getElementById('layout').textContent)), layout);
    const ids = await page.evaluate((names) => names.filter((n) => !document.getElementById(n)), layout.controls.map((c) => c.name));
    assert.deepEqual(ids, [], 'controls without their element');
    // 1300×900 holds the 13000×9000 twips of the design at factor 1.5, 0 and 0 from the corner
    const rect = (id) => page.evaluate((id) => {
      const r = document.getElementById(id).closest('.control').getBoundingClientRect();
      return [r.left, r.top, r.width, r.height].map(Math.round);
    }, id);
    assert.deepEqual(await rect('cmdStart'), [828, 12, 110, 38]);
    assert.deepEqual(await rect('HScroll1'), [612, 24, 194, 26]);
    assert.deepEqual(await rect('opZelená'), [24 + 36, 348 + 48, 98, 26], 'an option sits in its frame');
    // the scroll bar lies over its panel, the value display over its frame's edge
    const above = (a, b) => page.evaluate(([a, b]) => {
      const z = (id) => Number(getComputedStyle(document.getElementById(id).closest('.control')).zIndex);
      return z(a) > z(b);
    }, [a, b]);
    assert.ok(await above('HScroll1', 'nPlonk'));
    assert.ok(await above('nIndex', 'frmIndex'));
    assert.ok(await above('nVzduchSklo', 'nSklo'));
    // the shipped faces, not whatever the system has
    const fonts = await page.evaluate(() => [...document.fonts].filter((f) => f.status === 'loaded')
      .map((f) => `${f.family.replaceAll('"', '')} ${f.weight}`).sort());
    assert.deepEqual(fonts, ['Liberation Sans 400', 'Liberation Sans 700', 'Liberation Serif 700']);
    const startFont = await page.evaluate(() => getComputedStyle(document.getElementById('cmdStart')).font);
    assert.match(startFont, /700 28\.5px "Liberation Serif"/);
    const scale = () => page.evaluate(() => window.lumetra.module._lumetra_picture_scale());
    assert.equal(await scale(), 1.5 / 15);

    // a smaller window: factor 0.75, the design centred across
    await page.setViewportSize({ width: 700, height: 450 });
    await page.waitForFunction(() => window.lumetra.module._lumetra_picture_scale() === 0.75 / 15);
    assert.deepEqual(await rect('cmdStart'), [25 + 414, 6, 55, 19]);
    assert.deepEqual(await page.evaluate(() => {
      const c = document.getElementById('picture');
      const r = c.getBoundingClientRect();
      return [r.left, r.top, c.width, c.height];
    }), [25, 0, 651, 451]);
  }));

  test('the settings, the selected options and the legends are those of start-up', () => withPage({}, async (page) => {
    assert.deepEqual(await settings(page), {
      nUhel: '45', nIndex: '1.7', nKmitočet: '0.75', nBarva: 'Zelená', nSpomalení: '1', nKlepnuto: '0', nMaže: '0',
    });
    for (const id of ['opUhel45', 'opSklo', 'opZelená', 'opRychlá'])
      assert.ok(await checked(page, id), `${id} selected`);
    for (const id of ['opUhel90', 'opVzduch', 'opČervená', 'opModrá', 'opPomalejší', 'opPomalá'])
      assert.ok(!(await checked(page, id)), `${id} not selected`);
    const visible = {};
    for (const id of ['nVzduch', 'nSklo', 'nVzduchSklo', 'nClona', 'nStínítko', 'nSpektrum', 'nSoučet', 'frmAnimace',
      'nUhel', 'nBarva', 'nMaže', 'nLumetra', 'nIndex', 'nKmitočet'])
      visible[id] = await shown(page, id);
    assert.deepEqual(visible, {
      nVzduch: true, nSklo: true, nVzduchSklo: false, nClona: false, nStínítko: false, nSpektrum: false, nSoučet: false,
      frmAnimace: false, nUhel: false, nBarva: false, nMaže: false, nLumetra: true, nIndex: true, nKmitočet: true,
    });
    assert.equal(await page.getAttribute('#HScroll1', 'aria-valuenow'), '1');
    // the label asking for Start lies on the picture, under everything a run draws
    const dark = await page.evaluate(() => {
      const c = document.getElementById('picture');
      const d = c.getContext('2d', { willReadFrequently: true }).getImageData(420 * 0.8, 360 * 0.8, 457 * 0.8, 133 * 0.8).data;
      let n = 0;
      for (let i = 0; i < d.length; i += 4) if (d[i] < 80) ++n;
      return n;
    });
    assert.ok(dark > 500, `the label's text shows (${dark} dark pixels)`);
  }));

  test('the controls are in the page before the module, and a click made then counts once it is ready', async () => {
    const context = await browser.newContext({ viewport: { width: 1280, height: 720 } });
    try {
      const page = await context.newPage();
      const problems = [];
      page.on('console', (m) => { if (m.type() === 'error' || m.type() === 'warning') problems.push(m.text()); });
      page.on('pageerror', (e) => problems.push(e.message));
      let release;
      const held = new Promise((resolve) => { release = resolve; });
      await page.route('**/lumetra.wasm', async (route) => { await held; await route.continue(); });
      // what every painted frame shows from the parsed HTML until the page is ready: the
      // window opens in steps, and must never show half of it
      await page.addInitScript(() => {
        window.framesSeen = new Set();
        const look = () => {
          const main = document.getElementById('Lumetrafrm');
          const shown = [...main.querySelectorAll('.control')].filter((n) => getComputedStyle(n).visibility === 'visible');
          window.framesSeen.add([shown.length, main.classList.contains('early'),
            getComputedStyle(document.getElementById('picture')).visibility].join(' '));
          if (!window.lumetra || !window.lumetra.ready)
            requestAnimationFrame(look);
        };
        document.addEventListener('DOMContentLoaded', () => requestAnimationFrame(look));
      });
      await page.goto(server.url);
      await page.waitForFunction(() => document.fonts.status === 'loaded');
      const early = await page.evaluate(() => ({
        ready: window.lumetra.ready,
        controls: document.querySelectorAll('#Lumetrafrm .control').length,
        start: document.getElementById('cmdStart').getBoundingClientRect().toJSON(),
        frequency: document.getElementById('nKmitočet').value,
        green: document.getElementById('opZelená').checked,
      }));
      assert.equal(early.ready, false, 'the module is still loading');
      assert.equal(early.controls, 35);
      assert.deepEqual([early.frequency, early.green], ['0.75', true], 'as after start-up');
      assert.ok(await shown(page, 'cmdStart'), 'Start shows');
      await clickOn(page, '#opČervená');
      release();
      await ready(page);
      // where the module places Start, give or take the rounding of the factor
      const start = await page.evaluate(() => document.getElementById('cmdStart').getBoundingClientRect().toJSON());
      for (const k of ['x', 'y', 'width', 'height'])
        assert.ok(Math.abs(start[k] - early.start[k]) <= 1, `Start's ${k}: ${early.start[k]} before, ${start[k]} after`);
      assert.deepEqual(await page.evaluate(() => [...window.framesSeen].sort()), ['35 false visible', '35 true hidden'],
        'the HTML\'s window, then the whole live one');
      await page.waitForFunction(() => document.getElementById('nKmitočet').value === '0.5');
      assert.equal(await checked(page, 'opČervená'), true);
      assert.equal(await text(page, 'nBarva'), 'Červená');
      // the warm-up worker's runs, held back while the window opened, follow
      await page.waitForFunction(() => window.lumetra.warmUpMs !== undefined, null, { timeout: 30000 });
      assert.deepEqual(problems, []);
    } finally {
      await context.close();
    }
  });

  test('a browser whose worker cannot start, and that reports no paint, still opens the page and runs', async () => {
    const context = await browser.newContext({ viewport: { width: 1280, height: 720 } });
    try {
      const page = await context.newPage();
      // as a browser without module workers: the script fails to load
      await page.addInitScript(() => {
        window.Worker = class extends EventTarget {
          constructor() { super(); setTimeout(() => this.onerror?.(new Event('error'))); }
          postMessage() {}
          terminate() {}
        };
        // as for a page opened in a background tab, whose first paint is never reported
        const observe = PerformanceObserver.prototype.observe;
        PerformanceObserver.prototype.observe = function (options) {
          if (options?.type !== 'paint')
            observe.call(this, options);
        };
      });
      const { problems } = await visit(page, server.url);
      const { version } = await lumetra(page);
      assert.equal(version.module, version.page);
      await run(page);
      assert.equal((await lumetra(page)).runs.length, 1);
      assertNoProblems(problems);
    } finally {
      await context.close();
    }
  });

  test('the focus starts on Start and Tab walks the shown controls, one stop per option group', () => withPage({}, async (page) => {
    const focused = () => page.evaluate(() => document.activeElement.id);
    assert.equal(await focused(), 'cmdStart');
    const walk = [];
    for (let i = 0; i < 11; ++i) {
      await page.keyboard.press('Tab');
      walk.push(await focused());
    }
    // the empty panel is no stop (nothing would be said there); the picture follows the scroll bar
    assert.deepEqual(walk, ['nLumetra', 'opUhel45', 'opSklo', 'opZelená', 'nSklo', 'nVzduch', 'cmdKonec', 'nKmitočet',
      'nIndex', 'HScroll1', 'picture']);
  }));
});

describe('settings handlers', () => {
  test('the options write their settings and the medium options switch the legends', () => withPage({}, async (page) => {
    await page.click('#opČervená');
    assert.deepEqual([await text(page, 'nKmitočet'), await text(page, 'nBarva')], ['0.5', 'Červená']);
    await page.click('#opModrá');
    assert.deepEqual([await text(page, 'nKmitočet'), await text(page, 'nBarva')], ['1', 'Modrá']);
    await page.click('#opUhel90');
    assert.equal(await text(page, 'nUhel'), '90');
    await page.click('#opVzduch');
    assert.deepEqual([await text(page, 'nIndex'), await text(page, 'nKlepnuto')], ['1', '1']);
    assert.deepEqual([await shown(page, 'nVzduchSklo'), await shown(page, 'nSklo')], [true, false]);
    await page.click('#opSklo');
    assert.deepEqual([await text(page, 'nIndex'), await text(page, 'nKlepnuto')], ['1.7', '1']);
    assert.deepEqual([await shown(page, 'nVzduchSklo'), await shown(page, 'nSklo')], [false, true]);
  }));

  test('the scroll bar copies its value, one step a click, a drag once when let go', () => withPage({}, async (page) => {
    const bar = await page.$('#HScroll1');
    const box = await bar.boundingBox();
    await page.mouse.click(box.x + box.width - 3, box.y + box.height / 2); // the right arrow
    assert.equal(await text(page, 'nSpomalení'), '2');
    await page.mouse.click(box.x + box.width * 0.7, box.y + box.height / 2); // the trough
    assert.equal(await text(page, 'nSpomalení'), '3');
    await page.keyboard.press('End');
    assert.equal(await text(page, 'nSpomalení'), '20000');
    await page.keyboard.press('Home');
    assert.equal(await text(page, 'nSpomalení'), '1');
    const thumb = await (await page.$('#HScroll1 .thumb')).boundingBox();
    await page.mouse.move(thumb.x + 3, thumb.y + thumb.height / 2);
    await page.mouse.down();
    await page.mouse.move(thumb.x + 40, thumb.y + thumb.height / 2, { steps: 5 });
    assert.equal(await text(page, 'nSpomalení'), '1', 'no change while dragging');
    await page.mouse.up();
    const dragged = Number(await text(page, 'nSpomalení'));
    assert.ok(dragged > 1000 && dragged < 20000, `dragged to ${dragged}`);
    assert.equal(await checked(page, 'opRychlá'), true, 'the speed options stay as they were');
  }));
});

describe('runs', () => {
  test('the first run asks nothing; every later one asks, answered Ano or Ne', () => withPage({}, async (page) => {
    await run(page);
    assert.deepEqual([await text(page, 'nMaže'), await text(page, 'nKlepnuto')], ['1', '0']);
    for (const id of ['nClona', 'nStínítko', 'nSpektrum', 'nSoučet', 'nVzduch', 'nSklo'])
      assert.ok(await shown(page, id), `${id} shown after the run`);

    await page.click('#cmdStart');
    const dialog = await page.waitForSelector('#question[open]');
    assert.equal(await dialog.evaluate((d) => d.querySelector('.title').textContent), 'Lumetra');
    assert.equal(await page.textContent('#questionText'), 'Vyčistit celou obrazovku (Ano), jinak jen radiusvektory (Ne)?');
    assert.deepEqual(await dialog.evaluate((d) => [...d.querySelectorAll('button')].map((b) => b.textContent)), ['Ano', 'Ne']);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'Ano', 'Ano is the default');
    // it keeps the keys and the clicks, as a modal dialog does
    for (const id of ['Ne', 'Ano']) {
      await page.keyboard.press('Tab');
      assert.equal(await page.evaluate(() => document.activeElement.id), id);
    }
    await page.mouse.click(5, 5);
    assert.equal((await lumetra(page)).held, 0, 'a click beside the question is not kept for later');
    await page.click('#questionText');
    await page.evaluate(() => document.getElementById('nKmitočet').focus());
    assert.equal(await page.evaluate(() => document.activeElement.id), 'Ano', 'nothing behind it takes the focus');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => window.lumetra.runs.length === 2 && !window.lumetra.busy);

    const answered = await run(page, 'Ne');
    assert.ok(answered.ms > 0);
    // Escape answers Ne
    await page.click('#cmdStart');
    await page.waitForSelector('#question[open]');
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => window.lumetra.runs.length === 4 && !window.lumetra.busy);
    assert.equal(await page.isVisible('#question'), false);
    assert.equal((await lumetra(page)).reports.length, 0);
  }));

  test('a frequency or an index that is no number gets the Czech report, and the page goes on', () => withPage({}, async (page) => {
    await page.fill('#nKmitočet', 'modrá');
    await page.click('#cmdStart');
    await page.waitForSelector('#errorReport[open]');
    assert.equal(await page.textContent('#errorReport .title'), 'Lumetra');
    assert.equal(await page.textContent('#errorReport .headline'), 'Akci nelze dokončit.');
    assert.match(await page.textContent('#errorReport .message'), /„modrá“ .*kmitočet.* není číslo/);
    await page.click('#errorOk');
    await page.waitForFunction(() => !window.lumetra.busy);
    // the run failed before it marked itself done: the next one asks nothing
    assert.equal(await text(page, 'nMaže'), '0');
    await page.fill('#nKmitočet', '0.75');
    await run(page);
    assert.equal(await text(page, 'nMaže'), '1');

    await page.fill('#nIndex', '1,7');
    await page.click('#cmdStart');
    await page.waitForSelector('#question[open]');
    await page.click('#Ano');
    await page.waitForSelector('#errorReport[open]');
    assert.match(await page.textContent('#errorReport .message'), /„1,7“ .*index.* není číslo/);
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => !window.lumetra.busy && !document.getElementById('errorReport').open);
    await page.click('#opČervená');
    assert.equal(await text(page, 'nKmitočet'), '0.5', 'the page goes on');
    assert.equal((await lumetra(page)).reports.length, 2);
  }));
});

// A run a few seconds long: the scroll bar dragged to about a tenth of its way.
async function slowDown(page) {
  const thumb = await (await page.$('#HScroll1 .thumb')).boundingBox();
  const trough = await (await page.$('#HScroll1 .trough')).boundingBox();
  await page.mouse.move(thumb.x + 2, thumb.y + thumb.height / 2);
  await page.mouse.down();
  await page.mouse.move(thumb.x + 2 + (trough.width - thumb.width) * 0.1, thumb.y + thumb.height / 2, { steps: 4 });
  await page.mouse.up();
  return Number(await text(page, 'nSpomalení'));
}

// A click where the control is, as a user's: while a run goes on it lands on the cover.
async function clickOn(page, selector) {
  const box = await (await page.$(selector)).boundingBox();
  await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
}

describe('during a run', () => {
  test('clicks and keys wait until the run has ended, and the page keeps painting', () => withPage({}, async (page) => {
    const count = await slowDown(page);
    assert.ok(count > 1000, `delay count ${count}`);
    await page.click('#cmdStart');
    await page.waitForFunction(() => window.lumetra.busy);
    await page.waitForTimeout(300);

    // frames the browser painted, and frames the run showed, in two seconds
    const before = (await lumetra(page)).framesShown;
    const painted = await page.evaluate(() => new Promise((resolve) => {
      let frames = 0;
      const start = performance.now();
      const tick = (now) => (now - start < 2000 ? (++frames, requestAnimationFrame(tick)) : resolve(frames));
      requestAnimationFrame(tick);
    }));
    const showed = (await lumetra(page)).framesShown - before;
    assert.ok(painted >= 80 && showed >= 80, `${painted} frames painted, ${showed} shown in 2 s`);

    await clickOn(page, '#opČervená');
    await clickOn(page, '#nKmitočet');
    await page.keyboard.press('End');
    await page.keyboard.type('1');
    const meanwhile = await lumetra(page);
    assert.ok(meanwhile.busy, 'the run is still going');
    assert.equal(meanwhile.held, 4);
    assert.equal(await checked(page, 'opČervená'), false);
    assert.equal(await text(page, 'nKmitočet'), '0.75');

    await page.waitForFunction(() => !window.lumetra.busy, null, { timeout: 60000 });
    assert.equal(await checked(page, 'opČervená'), true);
    assert.equal(await text(page, 'nBarva'), 'Červená');
    assert.equal(await text(page, 'nKmitočet'), '0.51', 'the click, then the typing into the box');
  }));

  test('"Konec" during a run ends Lumetra when the run has ended; it starts again from its defaults', () => withPage({}, async (page) => {
    await slowDown(page);
    await page.click('#cmdStart');
    await page.waitForFunction(() => window.lumetra.busy);
    await clickOn(page, '#cmdKonec');
    await page.waitForTimeout(500);
    assert.equal(await page.isVisible('#ended'), false, 'not while the run goes on');
    await page.waitForSelector('#ended', { state: 'visible', timeout: 60000 });
    assert.equal(await page.isVisible('#Lumetrafrm'), false);
    assert.match(await page.textContent('#ended'), /Lumetra byl ukončen/);
    await page.click('#restart');
    await ready(page);
    assert.deepEqual(await settings(page), {
      nUhel: '45', nIndex: '1.7', nKmitočet: '0.75', nBarva: 'Zelená', nSpomalení: '1', nKlepnuto: '0', nMaže: '0',
    });
  }));
});

describe('small screens and touch', () => {
  test('a phone held upright shows the whole window, indicators beside their captions, and suggests turning', () => withPage({ width: 390, height: 844, deviceScaleFactor: 3 }, async (page) => {
    const box = await page.evaluate(() => {
      const p = document.getElementById('picture').getBoundingClientRect();
      return { right: p.right, bottom: p.bottom };
    });
    // (the picture holds one device pixel beyond the design area's last twip)
    assert.ok(box.right <= 391 && box.bottom <= 844, `the design area ends at ${box.right}×${box.bottom}`);
    const overlaps = await page.evaluate(() => [...document.querySelectorAll('label.option')].filter((l) => {
      const dot = l.querySelector('input').getBoundingClientRect();
      const caption = l.querySelector('span').getBoundingClientRect();
      return dot.right > caption.left + 0.5;
    }).map((l) => l.textContent));
    assert.deepEqual(overlaps, []);
    assert.equal(await shown(page, 'rotate'), true);
    await page.click('#rotateClose');
    assert.equal(await shown(page, 'rotate'), false);
  }));

  test('an option answers a touch anywhere on its row of the frame', () => withPage({ hasTouch: true }, async (page) => {
    const [x, y] = await page.evaluate(() => {
      const frame = document.getElementById('frmKmitočet').getBoundingClientRect();
      const row = document.getElementById('opModrá').closest('label').getBoundingClientRect();
      return [frame.left + 3, row.top + row.height / 2];
    });
    await page.touchscreen.tap(x, y);
    assert.equal(await checked(page, 'opModrá'), true);
    assert.equal(await text(page, 'nBarva'), 'Modrá');
  }));
});

describe('the keyboard alone', () => {
  test('selects every option, starts runs, answers both ways and dismisses the report', () => withPage({}, async (page) => {
    const key = (k) => page.keyboard.press(k);
    const focused = () => page.evaluate(() => document.activeElement.id);
    const tabTo = async (id) => {
      for (let i = 0; i < 20 && await focused() !== id; ++i)
        await key('Tab');
      assert.equal(await focused(), id);
    };
    // each group: Tab to it, the arrows through its buttons
    for (const [first, others] of [['opUhel45', ['opUhel90']], ['opSklo', ['opVzduch']],
      ['opZelená', ['opModrá', 'opČervená']]]) {
      await tabTo(first);
      for (const option of others) {
        await key('ArrowDown');
        if (!await checked(page, option))
          await key('ArrowDown');
        assert.equal(await checked(page, option), true, option);
      }
    }
    assert.deepEqual([await text(page, 'nUhel'), await text(page, 'nIndex'), await text(page, 'nBarva')], ['90', '1', 'Červená']);

    await tabTo('cmdStart');
    await key('Enter');
    await page.waitForFunction(() => window.lumetra.runs.length === 1 && !window.lumetra.busy);
    for (const answer of ['Escape', 'Enter']) { // Ne, then Ano (the default)
      await page.focus('#cmdStart');
      await key('Enter');
      await page.waitForSelector('#question[open]');
      await key(answer);
      await page.waitForFunction((n) => window.lumetra.runs.length === n && !window.lumetra.busy,
        answer === 'Escape' ? 2 : 3);
    }
    await tabTo('nKmitočet');
    await key('Control+a');
    await page.keyboard.type('abc');
    await page.focus('#cmdStart');
    await key('Enter');
    await page.waitForSelector('#errorReport[open]');
    await key('Enter');
    await page.waitForFunction(() => !document.getElementById('errorReport').open);
    assert.equal((await lumetra(page)).reports.length, 1);
  }));
});
