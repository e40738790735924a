// Lighthouse (pinned in bench/package.json) on the built page, served as the tests serve
// it, with Debian's Chromium: its mobile preset (a slow 4G network and a 4× slower CPU,
// simulated) and its desktop preset at 1920×1080, each run a few times; the median of
// each figure, with the four categories' scores.
//
//   bash scripts/web-lighthouse.sh [runs]     (installs what it needs, then runs this)
import lighthouse from 'lighthouse';
import desktop from 'lighthouse/core/config/desktop-config.js';
import * as chromeLauncher from 'chrome-launcher';
import { serve } from '../web/tests/harness.mjs';

const runs = Number(process.argv[2] || 3);
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
// the desktop preset on a full-HD screen, as a classroom's projector shows the page
const fullHd = { ...desktop, settings: { ...desktop.settings,
  screenEmulation: { ...desktop.settings.screenEmulation, width: 1920, height: 1080 } } };
const chromeFlags = ['--headless=new', ...(process.getuid && process.getuid() === 0 ? ['--no-sandbox'] : [])];

const server = await serve();
const figures = {};
try {
  for (const [preset, config] of [['mobile', undefined], ['desktop (1920×1080)', fullHd]]) {
    const got = [];
    for (let i = 0; i < runs; ++i) {
      // a fresh browser each time: no service worker, no cache from the run before
      const chrome = await chromeLauncher.launch({ chromePath: process.env.LUMETRA_CHROMIUM || '/usr/bin/chromium', chromeFlags });
      try {
        const { lhr } = await lighthouse(server.url, { port: chrome.port, onlyCategories: ['performance', 'accessibility', 'best-practices', 'seo'], logLevel: 'error' }, config);
        const a = lhr.audits;
        const failing = Object.values(lhr.audits).filter((x) => x.score !== null && x.score < 1
          && ['accessibility', 'best-practices'].some((c) => lhr.categories[c].auditRefs.some((r) => r.id === x.id && r.weight > 0)));
        got.push({ score: lhr.categories.performance.score * 100,
          accessibility: lhr.categories.accessibility.score * 100, bestPractices: lhr.categories['best-practices'].score * 100,
          seo: lhr.categories.seo.score * 100, failing: failing.map((x) => x.id), lcp: a['largest-contentful-paint'].numericValue,
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
      accessibility: median(got.map((g) => g.accessibility)), bestPractices: median(got.map((g) => g.bestPractices)),
      seo: median(got.map((g) => g.seo)), failing: [...new Set(got.flatMap((g) => g.failing))],
    };
  }
} finally {
  await server.stop();
}
for (const [preset, f] of Object.entries(figures))
  console.log(`Lighthouse ${preset}: performance ${f.score} (runs: ${f.scores.join(', ')}), `
    + `LCP ${(f.lcp / 1000).toFixed(2)} s, TBT ${f.tbt.toFixed(0)} ms, FCP ${(f.fcp / 1000).toFixed(2)} s, `
    + `TTI ${(f.tti / 1000).toFixed(2)} s, JavaScript minified: ${f.minified ? 'yes' : 'no'}; `
    + `accessibility ${f.accessibility}, best practices ${f.bestPractices}, SEO ${f.seo}`
    + (f.failing.length ? ` (short of full marks: ${f.failing.join(', ')})` : ''));
