// After one visit Lumetra starts with no network, and the browser offers to install it.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { assertNoProblems, launchProfile, lumetra, ready, run, serve, text, visit } from './harness.mjs';

test('after one visit the page is installable and starts again with its server gone', async () => {
  const server = await serve();
  const context = await launchProfile();
  try {
    const { page, problems } = await visit(context.pages()[0] || await context.newPage(), server.url);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 15000 });

    const cdp = await context.newCDPSession(page);
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, [], 'what keeps the browser from offering to install it');
    const { errors } = await cdp.send('Page.getAppManifest');
    assert.deepEqual(errors, [], 'the manifest parses');

    await server.stop();
    await page.reload();
    await ready(page);
    assert.equal(await text(page, 'nKmitočet'), '0.75');
    await run(page);
    assert.equal((await lumetra(page)).runs.length, 1);
    assertNoProblems(problems);
  } finally {
    await context.close();
    await server.stop();
  }
});
