// The arrows of any screen point in the page: by mouse, touch and keyboard, the readout
// announced, the panel's pixels those of the desktop, and the picture left as it was.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { assertNoProblems, launch, open, root, run, serve, shownPicture } from './harness.mjs';

const desktop = process.env.LUMETRA_PICTURE || path.join(root, 'build/web/tests/lumetra_picture');

let server;
let browser;
before(async () => { server = await serve(); browser = await launch(); });
after(async () => { await browser?.close(); await server?.stop(); });

// The page at 1280×720, with the place of a point of the design area on the page.
async function opened() {
  const { context, page, problems } = await open(browser, server.url, { width: 1280, height: 720 });
  const { factor, left, top } = await page.evaluate(() => {
    const p = document.getElementById('picture').getBoundingClientRect();
    return { factor: window.lumetra.module._lumetra_picture_scale() * 15, left: p.left, top: p.top };
  });
  const at = (x, y) => [left + x * factor / 15, top + y * factor / 15];
  return { context, page, problems, at };
}

const inspected = (page) => page.evaluate(() => window.lumetra.inspected);
const panelShown = (page) => page.evaluate(() => !document.getElementById('inspector').hidden);

function desktopPanel(scale, d) {
  assert.ok(existsSync(desktop), `no ${desktop}: build the desktop with scripts/build.sh`);
  const dir = mkdtempSync(path.join(os.tmpdir(), 'lumetra-panel-'));
  try {
    const file = path.join(dir, 'panel.ppm');
    execFileSync(desktop, [String(scale), file, 'cmdStart', `inspect=${d}`]);
    const ppm = readFileSync(file);
    const [, width, height] = /^P6\s+(\d+)\s+(\d+)\s+255\s/.exec(ppm.toString('latin1', 0, 32));
    return { width: Number(width), height: Number(height), rgb: ppm.subarray(ppm.indexOf('255\n') + 4) };
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

describe('the inspector', () => {
  test('by mouse: nothing before a run; hover shows and follows, a click pins, the panel is the desktop\'s, the picture stays', async () => {
    const { context, page, problems, at } = await opened();
    await page.mouse.move(...at(5500, 3000));
    assert.equal(await panelShown(page), false, 'nothing to inspect before a run');
    await run(page);
    const before = await shownPicture(page);

    await page.mouse.move(...at(5500, 3000));
    assert.match(await inspected(page), /^Bod 2\u00a0000: pravděpodobnost [\d\u00a0]+,\d \(\d+ % maxima\)$/);
    await page.mouse.move(...at(5500, 3100));
    assert.match(await inspected(page), /^Bod 2\u00a0100:/);
    await page.mouse.move(...at(4000, 3100)); // off the screen
    assert.equal(await panelShown(page), false);

    await page.emulateMedia({ reducedMotion: 'reduce' }); // the chain whole at once
    await page.mouse.click(...at(5500, 3500));
    await page.mouse.move(...at(4000, 3100));
    assert.match(await inspected(page), /^Bod 2\u00a0500:/, 'pinned, it stays when the pointer leaves');
    await page.waitForTimeout(100);
    const scale = await page.evaluate(() => window.lumetra.module._lumetra_picture_scale());
    const shown = await page.evaluate(() => {
      const c = document.querySelector('#inspector canvas');
      const rgba = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
      let s = '';
      for (let i = 0; i < rgba.length; i += 4)
        s += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
      return { width: c.width, height: c.height, data: btoa(s) };
    });
    const wanted = desktopPanel(scale, 2500);
    assert.deepEqual([shown.width, shown.height], [wanted.width, wanted.height]);
    assert.ok(Buffer.from(shown.data, 'base64').equals(wanted.rgb), 'the panel\'s pixels are the desktop\'s');

    const after = await shownPicture(page);
    assert.ok(after.rgb.equals(before.rgb), 'the picture is as the run left it');
    await page.keyboard.press('Escape'); // the click gave the picture the focus
    assert.equal(await panelShown(page), false);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'HScroll1');
    assertNoProblems(problems);
    await context.close();
  });

  test('by touch: a drag along the screen moves the point, and the panel stays on release', async () => {
    const { context, page, problems, at } = await opened();
    await run(page);
    const cdp = await context.newCDPSession(page);
    const touch = (type, [x, y]) => cdp.send('Input.dispatchTouchEvent',
      { type, touchPoints: type === 'touchEnd' ? [] : [{ x, y }] });
    await touch('touchStart', at(5600, 2000));
    assert.match(await inspected(page), /^Bod 1\u00a0000:/);
    await touch('touchMove', at(5600, 2600));
    await touch('touchMove', at(5600, 3000));
    // touch moves reach the page once a frame
    await page.waitForFunction(() => /^Bod 2\u00a0000:/.test(window.lumetra.inspected));
    await touch('touchEnd', [0, 0]);
    await page.mouse.move(...at(4000, 3100));
    assert.match(await inspected(page), /^Bod 2\u00a0000:/, 'pinned on release');
    assertNoProblems(problems);
    await context.close();
  });

  test('by keyboard: the picture is a stop after the scroll bar, the keys step the point, the readout is announced', async () => {
    const { context, page, problems } = await opened();
    await run(page);
    await page.focus('#HScroll1');
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'picture');
    const brightest = await inspected(page);
    assert.match(brightest, /\(100 % maxima\)$/, 'the brightest point first');
    await page.keyboard.press('Home');
    assert.match(await inspected(page), /^Bod 0:/);
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('PageDown');
    assert.match(await inspected(page), /^Bod 101:/);
    await page.keyboard.press('End');
    const last = await inspected(page);
    assert.match(last, /^Bod 7\u00a0000:/);
    await page.waitForFunction((text) => document.getElementById('announcer').textContent === text, last);
    await page.keyboard.press('Enter');
    await page.keyboard.press('Escape');
    assert.equal(await panelShown(page), false);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'HScroll1');
    assertNoProblems(problems);
    await context.close();
  });
});
