// Lighthouse (pinned in bench/package.json) on the built page, served as the tests serve
// it, with Debian's Chromium: its mobile preset (a slow 4G network and a 4× slower CPU,
// simulated) and its desktop preset, each run a few times; the median of each figure.
//
//   bash scripts/web-lighthouse.sh [runs]     (installs what it needs, then runs this)
import lighthouse from 'lighthouse';
import desktop from 'lighthouse/core/config/desktop-config.js';
import * as chromeLauncher from 'chrome-launcher';
import { serve } from '../web/tests/harness.mjs';

const runs = Number(process.argv[2] || 3);
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const chromeFlags = ['--headless=new', ...(process.getuid && process.getuid() === 0 ? ['--no-sandbox'] : [])];

const server = await serve();
const figures = {};
try {
  for (const [preset, config] of [['mobile', undefined], ['desktop', desktop]]) {
    const got = [];
    for (let i = 0; i < runs; ++i) {
      // a fresh browser each time: no service worker, no cache from the run before
      const chrome = await chromeLauncher.launch({ chromePath: process.env.LUMETRA_CHROMIUM || '/usr/bin/chromium', chromeFlags });
      try {
        const { lhr } = await lighthouse(server.url, { port: chrome.port, onlyCategories: ['performance'], logLevel: 'error' }, config);
        const a = lhr.audits;
        got.push({ score: lhr.categories.performance.score * 100, lcp: a['largest-contentful-paint'].numericValue,
          tbt: a['total-blocking-time'].numericValue, fcp: a['first-contentful-paint'].numericValue,
          tti: a.interactive.numericValue, minified: a['unminified-javascript'].score === 1 });
      } finally {
        await chrome.kill();
      }
    }
    figures[preset] = {
      score: median(got.map((g) => g.score)), lcp: median(got.map((g) => g.lcp)), tbt: median(got.map((g) => g.tbt)),
      fcp: median(got.map((g) => g.fcp)), tti: median(got.map((g) => g.tti)),
      scores: got.map((g) => g.score), minified: got.every((g) => g.minified),
    };
  }
} finally {
  await server.stop();
}
for (const [preset, f] of Object.entries(figures))
  console.log(`Lighthouse ${preset}: performance ${f.score} (runs: ${f.scores.join(', ')}), `
    + `LCP ${(f.lcp / 1000).toFixed(2)} s, TBT ${f.tbt.toFixed(0)} ms, FCP ${(f.fcp / 1000).toFixed(2)} s, `
    + `TTI ${(f.tti / 1000).toFixed(2)} s, JavaScript minified: ${f.minified ? 'yes' : 'no'}`);
