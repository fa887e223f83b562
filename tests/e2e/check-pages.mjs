// Opens every page given on the command line in headless Chromium (file URLs,
// nothing served) and checks: every image loaded, every link's target exists
// on disk, the visible names read as the names on disk, no script ran, and
// a photo stored on its side is shown upright.
// Usage: node check-pages.mjs [--upright NAME:WxH] NAMES_FILE PAGE...
//   NAMES_FILE: the image file names on disk, one per line (UTF-8).
//   --upright: every image named NAME must be laid out with the aspect of
//     W x H (within 2%), both where the page gives its size in attributes
//     (a full-size list) and where it gives none (a list of reduced copies,
//     whose copy must itself be upright); each kind must occur.
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import path from 'node:path';
import os from 'node:os';
import { fileURLToPath } from 'node:url';

const args = process.argv.slice(2);
let upright = null;
if (args[0] === '--upright') {
  const [, name, w, h] = args[1].match(/^(.*):(\d+)x(\d+)$/);
  upright = { name, aspect: Number(h) / Number(w), sized: 0, unsized: 0 };
  args.splice(0, 2);
}
const [namesFile, ...pages] = args;
const names = fs.readFileSync(namesFile, 'utf8').split('\n').filter(Boolean);
const lowerAscii = (s) => s.replace(/[A-Z]/g, (c) => c.toLowerCase());
const displayNames = new Set(names.map(lowerAscii));

const userDataDir = fs.mkdtempSync(path.join(os.tmpdir(), 'htmlimglist-chromium-'));
const browser = await chromium.launchPersistentContext(userDataDir, {
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--allow-file-access-from-files'],
});

let failures = 0;
let checks = 0;
const fail = (page, what) => { failures++; console.log(`FAILED ${page}: ${what}`); };

for (const pagePath of pages) {
  const page = await browser.newPage();
  let dialogs = 0;
  page.on('dialog', async (d) => { dialogs++; await d.dismiss(); });
  await page.goto('file://' + pagePath, { waitUntil: 'load' });
  const report = await page.evaluate(() => ({
    images: [...document.images].map((i) => {
      const box = i.getBoundingClientRect();
      return { src: i.src, loaded: i.complete && i.naturalWidth > 0, sized: i.hasAttribute('width') && i.hasAttribute('height'),
               width: box.width, height: box.height };
    }),
    links: [...document.links].map((a) => ({ href: a.href, text: a.textContent })),
    scripts: document.scripts.length,
    handlers: [...document.querySelectorAll('*')].filter((e) => [...e.attributes].some((a) => a.name.startsWith('on'))).length,
    charset: document.characterSet,
  }));
  checks++;
  if (report.images.length === 0) fail(pagePath, 'no images');
  for (const img of report.images) {
    checks++;
    if (!img.loaded) fail(pagePath, `image did not load: ${decodeURIComponent(img.src)}`);
    if (upright && path.basename(fileURLToPath(img.src)) === upright.name) {
      checks++;
      img.sized ? upright.sized++ : upright.unsized++;
      const aspect = img.height / img.width;
      if (!(Math.abs(aspect / upright.aspect - 1) <= 0.02)) {
        fail(pagePath, `${upright.name} laid out ${img.width}x${img.height}, not upright`);
      }
    }
  }
  for (const link of report.links) {
    checks++;
    const target = fileURLToPath(link.href);
    const isNavigation = ['Prev', 'Next', 'Large'].includes(link.text);
    // The series' ends link to the folders just outside it, which need not exist.
    const seriesEnd = isNavigation && link.text !== 'Large' && !fs.existsSync(path.dirname(target));
    if (!seriesEnd && !fs.existsSync(target)) fail(pagePath, `link target missing: ${target}`);
    if (!isNavigation && !displayNames.has(link.text)) fail(pagePath, `name reads '${link.text}', not as on disk`);
  }
  checks++;
  if (report.charset !== 'Shift_JIS') fail(pagePath, `read as ${report.charset}`);
  checks++;
  if (report.scripts !== 0 || report.handlers !== 0 || dialogs !== 0) fail(pagePath, 'a script ran or could run');
  console.log(`ok ${pagePath}: ${report.images.length} images, ${report.links.length} links`);
  await page.close();
}
await browser.close();
if (upright) {
  checks++;
  if (upright.sized === 0 || upright.unsized === 0) {
    fail('all pages', `${upright.name} seen ${upright.sized} times with a size, ${upright.unsized} without; both are needed`);
  }
}
fs.rmSync(userDataDir, { recursive: true, force: true });
console.log(`e2e: ${checks - failures} passed, ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);
