// The page draws the desktop's picture: the same settings at the same scale give the
// same pixels as the desktop's own drawing (its program lumetra_picture).
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { assertNoProblems, compare, desktopPicture, launch, open, run, serve, shownPicture } from './harness.mjs';

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
