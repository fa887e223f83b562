// Pictures of a gallery page for the README (scripts/gallery-screenshots):
// the whole page at 1280 and 390 CSS pixels wide in both colour schemes, and
// the viewer opened on the second cell by a click.
//   node gallery-screenshots.mjs PAGE OUTPUT_FOLDER
import { chromium } from 'playwright-core';

const [pagePath, out] = process.argv.slice(2);
const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--hide-scrollbars'],
});
async function shot(viewport, colorScheme, file, viewer) {
  const context = await browser.newContext({ viewport, colorScheme });
  const page = await context.newPage();
  await page.goto('file://' + pagePath, { waitUntil: 'load' });
  if (viewer) await page.click('#g > li:nth-child(2) > a');
  await page.waitForFunction(() => [...document.images].every((i) => i.complete || !i.getAttribute('src')));
  await page.screenshot({ path: `${out}/${file}`, fullPage: !viewer });
  await context.close();
}
for (const colorScheme of ['light', 'dark']) {
  await shot({ width: 1280, height: 100 }, colorScheme, `gallery-1280-${colorScheme}.png`, false);
  await shot({ width: 390, height: 100 }, colorScheme, `gallery-390-${colorScheme}.png`, false);
}
await shot({ width: 1280, height: 760 }, 'light', 'gallery-viewer.png', true);
await browser.close();
