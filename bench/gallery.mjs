// The browser half of bench/gallery.sh: measures a written gallery page in
// Debian's Chromium through playwright-core (from tests/e2e/node_modules).
//   node bench/gallery.mjs EMPTY_PAGE PAGE CELLS
import fs from 'node:fs';

const { chromium } = await import(new URL('../tests/e2e/node_modules/playwright-core/index.mjs', import.meta.url));
const [emptyPage, pagePath, cellsText] = process.argv.slice(2);
const cells = Number(cellsText);
const fixed = fs.statSync(emptyPage).size;
const perCell = (fs.statSync(pagePath).size - fixed) / cells;
const pageUrl = 'file://' + pagePath;

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync'],
});
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const percentile = (values, p) => [...values].sort((a, b) => a - b)[Math.min(values.length - 1, Math.floor(values.length * p))];

// First contentful paint and image requests of a fresh tab, without scrolling.
async function load(viewport) {
  const context = await browser.newContext({ viewport });
  const page = await context.newPage();
  let images = 0;
  page.on('request', (request) => { if (request.resourceType() === 'image') images++; });
  await page.goto(pageUrl, { waitUntil: 'load' });
  await page.waitForTimeout(1500);  // lazy images the browser starts on its own
  const paint = await page.evaluate(() => {
    const entry = performance.getEntriesByName('first-contentful-paint')[0];
    return entry ? entry.startTime : NaN;
  });
  await context.close();
  return { paint, images };
}

const desktop = [];
for (let run = 0; run < 3; run++) desktop.push(await load({ width: 1280, height: 800 }));
const phone = await load({ width: 390, height: 844 });

// The viewer with → held down: a key repeat every 33 ms, 300 of them. For
// each step: the time from the key event to the end of the next frame, and
// whether the image of the step before had loaded by then.
const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
const page = await context.newPage();
await page.goto(pageUrl, { waitUntil: 'load' });
await page.waitForTimeout(500);
// Opening on a click and closing, each to the end of the next frame.
const openClose = [];
for (let run = 0; run < 3; run++) {
  openClose.push(await page.evaluate(async (cell) => {
    const frame = () => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
    let start = performance.now();
    document.querySelector(`#g > li:nth-child(${cell}) > a`).click();
    await frame();
    const open = performance.now() - start;
    await new Promise((resolve) => setTimeout(resolve, 300));
    start = performance.now();
    document.getElementById('v').close();
    await frame();
    await frame();  // the dialog's close event comes a task later
    return { open, close: performance.now() - start };
  }, 1 + run * 7));
  await page.waitForTimeout(300);
}
await page.click('#g > li:first-child > a');
await page.waitForTimeout(300);
await page.evaluate(() => {
  window.stepTimes = [];
  window.loadedBeforeNext = 0;
  const image = document.getElementById('vi');
  window.addEventListener('keydown', () => {
    if (image.complete && image.naturalWidth > 0) window.loadedBeforeNext++;
    const start = performance.now();
    requestAnimationFrame(() => setTimeout(() => window.stepTimes.push(performance.now() - start), 0));
  }, true);
});
const repeats = 300;
for (let i = 0; i < repeats; i++) {
  await page.keyboard.down('ArrowRight');
  await page.waitForTimeout(33);
}
await page.keyboard.up('ArrowRight');
await page.waitForTimeout(500);
const viewer = await page.evaluate(() => ({
  counter: document.getElementById('vc').textContent,
  times: window.stepTimes,
  loaded: window.loadedBeforeNext,
}));
await context.close();
await browser.close();

const rows = [
  ['HTML bytes per cell', perCell.toFixed(1), '≤ 400'],
  ['fixed bytes (head, style, script, viewer)', String(fixed), '≤ 16384'],
  ['first contentful paint, 1280x800 (median of 3)', `${median(desktop.map((d) => d.paint)).toFixed(0)} ms`, '≤ 1500 ms'],
  ['image requests before scrolling, 1280x800', String(median(desktop.map((d) => d.images))), '≤ 200'],
  ['image requests before scrolling, 390x844', String(phone.images), '≤ 200'],
  ['viewer: open on a click, to the next frame', `${median(openClose.map((o) => o.open)).toFixed(0)} ms`, ''],
  ['viewer: close, to the next frame', `${median(openClose.map((o) => o.close)).toFixed(0)} ms`, ''],
  ['viewer: → held 300 repeats, shown at the end', viewer.counter.split(' / ')[0], String(1 + repeats)],
  ['viewer: key to next frame, median / 95th', `${median(viewer.times).toFixed(1)} / ${percentile(viewer.times, 0.95).toFixed(1)} ms`, '< 33 ms'],
  ['viewer: image loaded before the next repeat', `${Math.round((100 * viewer.loaded) / repeats)} %`, ''],
];
const width = [0, 1, 2].map((k) => Math.max(...rows.map((r) => r[k].length), ['measure', 'value', 'target'][k].length));
const line = (r) => `| ${r.map((c, k) => c.padEnd(width[k])).join(' | ')} |`;
console.log(`gallery page, ${cells} cells, Chromium from file://`);
console.log(line(['measure', 'value', 'target']));
console.log(`|${width.map((w) => '-'.repeat(w + 2)).join('|')}|`);
for (const r of rows) console.log(line(r));
