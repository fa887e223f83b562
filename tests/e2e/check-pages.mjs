// Opens every page given on the command line in headless Chromium (file URLs,
// nothing served) and checks: every image loaded and is one of the files on
// disk, every link's target exists on disk and an image's link names the very
// bytes of a file's name, the visible names read as the names on disk, no
// script ran, clicking each link (in a fresh page) only navigates to its
// file, and a photo stored on its side is shown upright.
// Usage: node check-pages.mjs [--upright NAME:WxH] NAMES_FILE PAGE...
//   NAMES_FILE: the image file names on disk, each followed by a NUL byte
//     (names may hold newlines and bytes that are not UTF-8).
//   --upright: every image named NAME must be laid out with the aspect of
//     W x H (within 2%), both where the page gives its size in attributes
//     (a full-size list) and where it gives none (a list of reduced copies,
//     whose copy must itself be upright); each kind must occur.
//   --shown NAME (repeatable): every page must show an image named NAME,
//     loaded (a type listed only with MoreImageTypes, say).
//   --live NAME: a link reading "Live" leads to the video NAME (the Live
//     Photo of a still), and every page that lists videos has one.
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import { baseName, decodeName, fileUrlBytes, readNames } from './file-names.mjs';
import path from 'node:path';
import os from 'node:os';

const args = process.argv.slice(2);
let upright = null;
const shown = [];
let live = null;
for (;;) {
  if (args[0] === '--upright') {
    const [, name, w, h] = args[1].match(/^(.*):(\d+)x(\d+)$/);
    upright = { name: Buffer.from(name), aspect: Number(h) / Number(w), sized: 0, unsized: 0 };
  } else if (args[0] === '--shown') {
    shown.push(Buffer.from(args[1]));
  } else if (args[0] === '--live') {
    live = Buffer.from(args[1]);
  } else {
    break;
  }
  args.splice(0, 2);
}
const [namesFile, ...pages] = args;
const names = readNames(namesFile);
const onDisk = new Set(names.map((n) => n.toString('hex')));


// How a page shows a file name: ASCII capitals lowered, a byte that is not
// UTF-8 as U+FFFD.
const displayName = (bytes) => decodeName(bytes, () => '\uFFFD').replace(/[A-Z]/g, (c) => c.toLowerCase());
const printable = (bytes) => JSON.stringify(decodeName(bytes, (b) => `\\x${b.toString(16)}`));

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

// Clicks link number `index` of the page in a fresh tab and reports where the
// browser went (the navigation is stopped before it loads) and how many
// dialogs a script opened.
async function clickLink(pageUrl, index) {
  const page = await browser.newPage();
  let dialogs = 0;
  page.on('dialog', async (d) => { dialogs++; await d.dismiss(); });
  await page.goto(pageUrl, { waitUntil: 'load' });
  let navigatedTo = null;
  const navigated = new Promise((resolve) => {
    page.route('**/*', async (route) => {
      const request = route.request();
      if (request.isNavigationRequest() && request.frame() === page.mainFrame()) {
        navigatedTo = request.url();
        resolve();
      }
      await route.abort();
    });
  });
  await page.locator('a').nth(index).click({ noWaitAfter: true });
  await Promise.race([navigated, new Promise((resolve) => setTimeout(resolve, 3000))]);
  await page.close();
  return { navigatedTo, dialogs };
}

for (const pagePath of pages) {
  const page = await browser.newPage();
  let dialogs = 0;
  page.on('dialog', async (d) => { dialogs++; await d.dismiss(); });
  const pageUrl = 'file://' + pagePath;
  await page.goto(pageUrl, { waitUntil: 'load' });
  const report = await page.evaluate(() => ({
    images: [...document.images].map((i) => {
      const box = i.getBoundingClientRect();
      return { src: i.src, loaded: i.complete && i.naturalWidth > 0, sized: i.hasAttribute('width') && i.hasAttribute('height'),
               width: box.width, height: box.height };
    }),
    links: [...document.querySelectorAll('a')].map((a) => ({ href: a.href, text: a.textContent })),
    scripts: document.scripts.length,
    handlers: [...document.querySelectorAll('*')].filter((e) => [...e.attributes].some((a) => a.name.startsWith('on'))).length,
    charset: document.characterSet,
  }));
  await page.close();
  checks++;
  if (report.images.length === 0) fail(pagePath, 'no images');
  for (const name of shown) {
    checks++;
    const img = report.images.find((i) => { const b = fileUrlBytes(i.src); return b !== null && baseName(b).equals(name); });
    if (!img) fail(pagePath, `${name} is not shown`);
    else if (!img.loaded) fail(pagePath, `${name} did not load`);
  }
  for (const img of report.images) {
    checks++;
    const bytes = fileUrlBytes(img.src);
    if (bytes === null) {
      fail(pagePath, `image is no local file: ${img.src}`);
      continue;
    }
    if (!img.loaded) fail(pagePath, `image did not load: ${printable(bytes)}`);
    if (!onDisk.has(baseName(bytes).toString('hex'))) fail(pagePath, `image ${printable(bytes)} is none of the files`);
    if (upright && baseName(bytes).equals(upright.name)) {
      checks++;
      img.sized ? upright.sized++ : upright.unsized++;
      const aspect = img.height / img.width;
      if (!(Math.abs(aspect / upright.aspect - 1) <= 0.02)) {
        fail(pagePath, `${upright.name} laid out ${img.width}x${img.height}, not upright`);
      }
    }
  }
  if (live) {
    const isVideo = (l) => /\.(mp4|mov|webm)$/i.test(l.href);
    if (report.links.some((l) => isVideo(l) && l.text !== 'Live')) {
      checks++;
      if (!report.links.some((l) => l.text === 'Live')) fail(pagePath, 'lists videos but links no Live video');
    }
  }
  for (const [index, link] of report.links.entries()) {
    checks++;
    const target = fileUrlBytes(link.href);
    if (target === null) {
      fail(pagePath, `link leads out of the file system: ${link.href}`);
    } else {
      const isNavigation = ['Prev', 'Next', 'Large'].includes(link.text);
      // The series' ends link to the folders just outside it, which need not exist.
      const folder = target.subarray(0, target.lastIndexOf(0x2f));
      const seriesEnd = isNavigation && link.text !== 'Large' && !fs.existsSync(folder);
      if (!seriesEnd && !fs.existsSync(target)) fail(pagePath, `link target missing: ${printable(target)}`);
      if (!isNavigation) {
        const name = baseName(target);
        if (!onDisk.has(name.toString('hex'))) fail(pagePath, `link ${printable(target)} names none of the files`);
        if (link.text === 'Live' && live) {
          if (!name.equals(live)) fail(pagePath, `"Live" leads to ${printable(name)}, not to ${printable(live)}`);
        } else if (link.text !== displayName(name)) {
          fail(pagePath, `name reads ${JSON.stringify(link.text)}, not as ${printable(name)} on disk`);
        }
      }
    }
    checks++;
    const click = await clickLink(pageUrl, index);
    if (click.dialogs !== 0) fail(pagePath, `clicking ${JSON.stringify(link.text)} ran a script`);
    if (click.navigatedTo !== link.href) {
      fail(pagePath, `clicking ${JSON.stringify(link.text)} went to ${click.navigatedTo}, not ${link.href}`);
    }
  }
  checks++;
  if (report.charset !== 'Shift_JIS') fail(pagePath, `read as ${report.charset}`);
  checks++;
  if (report.scripts !== 0 || report.handlers !== 0 || dialogs !== 0) fail(pagePath, 'a script ran or could run');
  console.log(`ok ${pagePath}: ${report.images.length} images, ${report.links.length} links`);
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
