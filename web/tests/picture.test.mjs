// The page draws the desktop's picture: the same settings at the same scale give the
// same pixels as the desktop's own drawing (its program lumetra_picture).
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { assertNoProblems, launch, open, root, run, serve, shownPicture } from './harness.mjs';

const desktop = process.env.LUMETRA_PICTURE || path.join(root, 'build/web/tests/lumetra_picture');
// where the two maths libraries may round a sine differently
const allowedShare = 0.0001;

function desktopPicture(scale, events) {
  assert.ok(existsSync(desktop), `no ${desktop}: build the desktop with scripts/build.sh`);
  const dir = mkdtempSync(path.join(os.tmpdir(), 'lumetra-picture-'));
  try {
    const file = path.join(dir, 'picture.ppm');
    execFileSync(desktop, [String(scale), file, ...events]);
    const ppm = readFileSync(file);
    const [, width, height] = /^P6\s+(\d+)\s+(\d+)\s+255\s/.exec(ppm.toString('latin1', 0, 32)) || [];
    const header = ppm.indexOf('255\n') + 4;
    return { width: Number(width), height: Number(height), rgb: ppm.subarray(header) };
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

function compare(shown, wanted) {
  assert.equal(shown.width, wanted.width, 'picture width');
  assert.equal(shown.height, wanted.height, 'picture height');
  let differing = 0;
  for (let i = 0; i < shown.rgb.length; i += 3)
    if (shown.rgb[i] !== wanted.rgb[i] || shown.rgb[i + 1] !== wanted.rgb[i + 1] || shown.rgb[i + 2] !== wanted.rgb[i + 2])
      ++differing;
  const share = differing / (shown.width * shown.height);
  assert.ok(share <= allowedShare, `${differing} pixels (${(share * 100).toFixed(4)} %) differ from the desktop's`);
  return differing;
}


describe('the picture equals the desktop\'s', () => {
  let server;
  let browser;
  before(async () => { server = await serve(); browser = await launch(); });
  after(async () => { await browser?.close(); await server?.stop(); });

  for (const { viewport, ratio } of [{ viewport: [1280, 720], ratio: 1 }, { viewport: [1000, 700], ratio: 2 }]) {
    test(`at ${viewport.join('×')} with ${ratio} device pixels to a CSS pixel`, async () => {
      const { page, problems, context } = await open(browser, server.url,
        { width: viewport[0], height: viewport[1], deviceScaleFactor: ratio });
      const scale = await page.evaluate(() => window.lumetra.module._lumetra_picture_scale());

      // the default settings
      await run(page);
      compare(await shownPicture(page), desktopPicture(scale, ['cmdStart']));

      // red light at 90°, answered Ne: the bars of both colours stand side by side
      await page.click('#opČervená');
      await page.click('#opUhel90');
      await run(page, 'Ne');
      const events = ['cmdStart', 'opČervená', 'opUhel90', 'Ne', 'cmdStart'];
      compare(await shownPicture(page), desktopPicture(scale, events));

      // blue light in air, answered Ano: the whole picture wiped first
      await page.click('#opVzduch');
      await page.click('#opModrá');
      await run(page, 'Ano');
      compare(await shownPicture(page), desktopPicture(scale, [...events, 'opVzduch', 'opModrá', 'Ano', 'cmdStart']));

      assertNoProblems(problems);
      await context.close();
    });
  }
});
