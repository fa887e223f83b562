// Opens gallery pages in headless Chromium (file URLs, nothing served) and
// checks what a visitor meets:
//   - every image loads and is one of the files on disk, every link's target
//     exists, and each cell's text names its file as it is on disk;
//   - no request leaves the page's folder (a list of full-size images, which
//     links back to the reduced list above it, may show copies from there:
//     a HEIC's or a video's), and no console error or
//     Content-Security-Policy violation occurs;
//   - without script, a cell's link opens its image;
//   - at 390 CSS pixels nothing scrolls sideways and a cell is at least 45%
//     of the screen wide;
//   - the viewer opens on a click with the image, its name and "N / M",
//     steps with the arrow keys, Home, End and its buttons, stops at both
//     ends, closes on Esc and on Back, opens directly from "#N", and gives
//     focus back to the cell; a video plays in a <video controls>;
//   - a sideways swipe on a touch screen steps;
//   - axe-core finds no serious or critical violation, in the light and the
//     dark colour scheme, on the grid and in the open viewer.
// Usage: node check-gallery.mjs NAMES_FILE PAGE...
//   NAMES_FILE: the folder's file names, each followed by a NUL byte.
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import { baseName, decodeName, fileUrlBytes, readNames } from './file-names.mjs';
import path from 'node:path';
import { createRequire } from 'node:module';

const [namesFile, ...pages] = process.argv.slice(2);
if (!namesFile || pages.length === 0) {
  console.error('usage: node check-gallery.mjs NAMES_FILE PAGE...');
  process.exit(2);
}
const names = readNames(namesFile);
const onDisk = new Set(names.map((n) => n.toString('hex')));
const axeSource = fs.readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');


// How the page shows a name: well-formed UTF-8 as itself; a stray byte, a
// control character and a C1 control as U+FFFD.
const displayName = (bytes) => decodeName(bytes, () => '\uFFFD').replace(/[\u0000-\u001f\u007f-\u009f]/g, '\uFFFD');
const printable = (bytes) => JSON.stringify(bytes.toString('latin1'));

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync'],
});

let failures = 0;
let checks = 0;
let current = '';
function check(ok, what) {
  checks++;
  if (!ok) {
    failures++;
    console.log(`FAILED ${current}: ${what}`);
  }
  return ok;
}

// A fresh tab in its own context (viewport, colour scheme, touch, script)
// that records every request, console error, uncaught error and CSP
// violation of the page.
async function openPage(pageUrl, options = {}) {
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 }, ...options });
  const page = await context.newPage();
  const log = { requests: [], errors: [] };
  page.on('request', (request) => log.requests.push(request.url()));
  page.on('console', (message) => { if (message.type() === 'error') log.errors.push(message.text()); });
  page.on('pageerror', (error) => log.errors.push(error.message));
  await page.addInitScript(() => {
    document.addEventListener('securitypolicyviolation', (event) => {
      console.error(`CSP violation: ${event.violatedDirective} ${event.blockedURI}`);
    });
  });
  await page.goto(pageUrl, { waitUntil: 'load' });
  return { context, page, log };
}

// Requests and errors of a finished tab.
async function closePage({ context, log }, folder) {
  await context.close();
  for (const url of log.requests) {
    const bytes = fileUrlBytes(url);
    check(bytes !== null && bytes.subarray(0, folder.length + 1).equals(Buffer.concat([folder, Buffer.from('/')])),
      `request leaves the folder: ${url}`);
  }
  for (const error of log.errors) check(false, `console: ${error}`);
}

const viewerState = (page) => page.evaluate(() => {
  const dialog = document.getElementById('v');
  const image = document.getElementById('vi');
  const video = document.getElementById('vv');
  const focus = document.activeElement;
  return {
    open: dialog.open,
    hash: location.hash,
    counter: document.getElementById('vc').textContent,
    name: document.getElementById('vn').textContent,
    image: image.hidden ? null : { src: image.src, alt: image.alt },
    video: video.hidden ? null : { src: video.src, controls: video.controls },
    original: document.getElementById('vo').href,
    focusInViewer: dialog.contains(focus),
    focusCell: focus && focus.parentNode && focus.parentNode.parentNode === document.getElementById('g')
      ? Number(focus.parentNode.id) : 0,
  };
});

// Waits until the viewer's counter reads `counter` (or a second passes).
async function waitForCounter(page, counter) {
  await page.waitForFunction((c) => document.getElementById('vc').textContent === c, counter, { timeout: 1000 })
    .catch(() => {});
}

// Waits until the viewer has closed and given focus back to a cell (the
// dialog's close event comes a moment after it shuts), or a second passes.
async function waitForClosed(page) {
  await page.waitForFunction(() => {
    const focus = document.activeElement;
    return !document.getElementById('v').open && focus && focus.parentNode.parentNode === document.getElementById('g');
  }, null, { timeout: 1000 }).catch(() => {});
}

async function axeCheck(page, where) {
  await page.evaluate(axeSource);
  const results = await page.evaluate(() => window.axe.run(document, { resultTypes: ['violations'] }));
  for (const violation of results.violations) {
    if (violation.impact === 'serious' || violation.impact === 'critical') {
      check(false, `axe ${where}: ${violation.id} (${violation.impact}) at ${violation.nodes.map((n) => n.target).join(', ')}`);
    } else {
      checks++;
    }
  }
  checks++;
}

for (const pagePath of pages) {
  current = pagePath;
  try {
    const pageUrl = 'file://' + pagePath;
    const folder = Buffer.from(path.dirname(pagePath));

    // The grid: every image loaded and named as on disk, every link's target there.
    const grid = await openPage(pageUrl);
    await grid.page.evaluate(async () => {
      for (let y = 0; y < document.body.scrollHeight; y += innerHeight / 2) {
        scrollTo(0, y);
        await new Promise((resolve) => requestAnimationFrame(resolve));
      }
    });
    await grid.page.waitForFunction(() => [...document.images].every((i) => i.complete || !i.getAttribute('src')),
      null, { timeout: 10000 }).catch(() => {});
    const report = await grid.page.evaluate(() => ({
      lang: document.documentElement.lang,
      cells: [...document.querySelectorAll('#g > li')].map((li) => {
        const link = li.firstElementChild;
        const img = link.querySelector('img');
        return { id: li.id, href: link.href, view: link.dataset.view ? new URL(link.dataset.view, location.href).href : null,
                 video: li.className === 'v', src: img.src, alt: img.alt, loaded: img.complete && img.naturalWidth > 0,
                 sized: img.hasAttribute('width') && img.hasAttribute('height'), lazy: img.loading === 'lazy' };
      }),
      // The series links may name a folder past either end of the series;
      // every other link must lead to a file.
      links: [...document.querySelectorAll('a[href]')]
        .filter((a) => !(a.closest('nav') && (a.textContent === 'Prev' || a.textContent === 'Next')))
        .map((a) => a.href),
    }));
    const cells = report.cells;
    check(cells.length > 0, 'no cells');
    for (const [index, cell] of cells.entries()) {
      const src = fileUrlBytes(cell.src);
      const href = fileUrlBytes(cell.href);
      check(cell.id === String(index + 1), `cell ${index + 1} has the id ${cell.id}`);
      if (!check(src !== null && href !== null, `cell ${index + 1} is no local file`)) continue;
      check(cell.loaded, `image did not load: ${printable(src)}`);
      check(cell.sized, `image has no width and height: ${printable(src)}`);
      check(onDisk.has(baseName(src).toString('hex')), `image ${printable(src)} is none of the files`);
      check(onDisk.has(baseName(href).toString('hex')), `link ${printable(href)} is none of the files`);
      check(cell.alt === displayName(baseName(href)), `alt ${JSON.stringify(cell.alt)} is not ${printable(baseName(href))}`);
    }
    for (const link of [...report.links, ...cells.filter((c) => c.view).map((c) => c.view)]) {
      const target = fileUrlBytes(link);
      if (check(target !== null, `link leads out of the file system: ${link}`)) {
        check(fs.existsSync(target), `link target missing: ${printable(target)}`);
      }
    }
    const parent = Buffer.from(path.dirname(path.dirname(pagePath)));
    const fullSizeList = report.links.some((l) => {
      const t = fileUrlBytes(l);
      return t !== null && t.equals(Buffer.concat([parent, Buffer.from('/index.html')]));
    });
    const root = fullSizeList ? parent : folder;
    await closePage(grid, root);

    // Without script a cell is a plain link to its image.
    {
      const plain = await openPage(pageUrl, { javaScriptEnabled: false });
      const [request] = await Promise.all([
        plain.page.waitForRequest((r) => r.isNavigationRequest(), { timeout: 3000 }).catch(() => null),
        plain.page.click('#g > li:first-child > a'),
      ]);
      check(request !== null && request.url() === cells[0].href,
        `without script the first cell went to ${request && request.url()}, not ${cells[0].href}`);
      await plain.context.close();
    }

    // The viewer with keys, buttons, Esc and Back.
    const count = cells.length;
    const shownUrl = (n) => cells[n - 1].view || cells[n - 1].href;
    {
      const tab = await openPage(pageUrl);
      const { page } = tab;
      const second = Math.min(2, count);
      await page.click(`#g > li:nth-child(${second}) > a`);
      await waitForCounter(page, `${second} / ${count}`);
      let state = await viewerState(page);
      check(state.open, 'a click did not open the viewer');
      check(state.hash === `#${second}`, `open viewer's fragment is ${state.hash}`);
      check(state.counter === `${second} / ${count}`, `counter reads ${state.counter}`);
      check(state.name === cells[second - 1].alt, `viewer names ${state.name}`);
      check(state.focusInViewer, 'focus did not move into the viewer');
      check(state.original === cells[second - 1].href, `"original" links to ${state.original}`);
      if (!cells[second - 1].video) {
        check(state.image && state.image.src === shownUrl(second), `viewer shows ${state.image && state.image.src}`);
        const loaded = await page.waitForFunction(() => {
          const i = document.getElementById('vi');
          return i.complete && i.naturalWidth > 0;
        }, null, { timeout: 3000 }).then(() => true, () => false);
        check(loaded, 'the viewer\'s image did not load');
      }
      const steps = [
        ['ArrowRight', Math.min(second + 1, count)], ['ArrowLeft', second], ['End', count],
        ['ArrowRight', count], ['Home', 1], ['ArrowLeft', 1],
      ];
      for (const [key, expected] of steps) {
        await page.keyboard.press(key);
        await waitForCounter(page, `${expected} / ${count}`);
        state = await viewerState(page);
        check(state.counter === `${expected} / ${count}` && state.name === cells[expected - 1].alt,
          `${key} gave ${state.counter} ${state.name}, not ${expected}`);
      }
      await page.click('#vq');
      await waitForCounter(page, `${Math.min(2, count)} / ${count}`);
      check((await viewerState(page)).counter === `${Math.min(2, count)} / ${count}`, 'the next button did not step');
      await page.click('#vp');
      await waitForCounter(page, `1 / ${count}`);
      check((await viewerState(page)).counter === `1 / ${count}`, 'the previous button did not step');
      await page.waitForFunction(() => location.hash === '#1', null, { timeout: 2000 }).catch(() => {});
      check((await viewerState(page)).hash === '#1', 'the fragment does not follow the steps');
      await axeCheck(page, 'viewer, light');

      await page.keyboard.press('Escape');
      await waitForClosed(page);
      state = await viewerState(page);
      check(!state.open, 'Esc did not close the viewer');
      check(state.hash === '', `after Esc the fragment is ${state.hash}`);
      check(state.focusCell === 1, `after Esc focus is on cell ${state.focusCell}, not 1`);

      const third = Math.min(3, count);
      await page.click(`#g > li:nth-child(${third}) > a`);
      await waitForCounter(page, `${third} / ${count}`);
      await page.goBack();
      await waitForClosed(page);
      state = await viewerState(page);
      check(!state.open, 'Back did not close the viewer');
      check(state.hash === '', `after Back the fragment is ${state.hash}`);
      check(state.focusCell === third, `after Back focus is on cell ${state.focusCell}, not ${third}`);
      check(page.url() === pageUrl, `Back left the page for ${page.url()}`);

      const videoCell = cells.findIndex((c) => c.video) + 1;
      if (videoCell > 0) {
        await page.click(`#g > li:nth-child(${videoCell}) > a`);
        await waitForCounter(page, `${videoCell} / ${count}`);
        state = await viewerState(page);
        check(state.image === null && state.video && state.video.controls && state.video.src === shownUrl(videoCell),
          `video cell ${videoCell} shows ${JSON.stringify(state.video || state.image)}`);
        const playable = await page.waitForFunction(() => document.getElementById('vv').readyState >= 1,
          null, { timeout: 5000 }).then(() => true, () => false);
        check(playable, 'the video did not load');
        await page.keyboard.press('Escape');
        await waitForClosed(page);
      }

      // A cell with a copy for the viewer: the step before it fetches the
      // copy ahead, and the viewer shows the copy, not the file.
      const viewCell = cells.findIndex((c) => c.view) + 1;
      if (viewCell > 1) {
        await page.click(`#g > li:nth-child(${viewCell - 1}) > a`);
        await waitForCounter(page, `${viewCell - 1} / ${count}`);
        await page.waitForTimeout(300);
        check(tab.log.requests.includes(cells[viewCell - 1].view), `cell ${viewCell}'s copy was not fetched ahead`);
        await page.keyboard.press('ArrowRight');
        await waitForCounter(page, `${viewCell} / ${count}`);
        state = await viewerState(page);
        check(state.image && state.image.src === cells[viewCell - 1].view && state.original === cells[viewCell - 1].href,
          `cell ${viewCell} shows ${state.image && state.image.src}, links ${state.original}`);
        await page.keyboard.press('Escape');
      }
      await closePage(tab, root);
    }

    // Opened at "#N": the viewer shows image N at once; Esc leaves the cell focused.
    {
      const n = Math.min(4, count);
      const tab = await openPage(`${pageUrl}#${n}`);
      await waitForCounter(tab.page, `${n} / ${count}`);
      let state = await viewerState(tab.page);
      check(state.open && state.counter === `${n} / ${count}`, `"#${n}" opened ${state.open ? state.counter : 'nothing'}`);
      await tab.page.waitForFunction(() => document.getElementById('v').contains(document.activeElement), null,
        { timeout: 1000 }).catch(() => {});
      check((await viewerState(tab.page)).focusInViewer, `focus is not in the viewer opened at "#${n}"`);
      await tab.page.keyboard.press('Escape');
      await waitForClosed(tab.page);
      state = await viewerState(tab.page);
      check(!state.open && state.hash === '' && state.focusCell === n,
        `after "#${n}" and Esc: open ${state.open}, fragment ${state.hash}, focus on cell ${state.focusCell}`);
      await closePage(tab, root);
    }

    // A phone: no sideways scroll, cells at least 45% wide, swipes step.
    {
      const tab = await openPage(pageUrl, { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true,
                                            deviceScaleFactor: 3 });
      const { page } = tab;
      const layout = await page.evaluate(() => ({
        scrollWidth: document.documentElement.scrollWidth,
        width: innerWidth,
        narrowest: Math.min(...[...document.querySelectorAll('#g > li')].map((li) => li.getBoundingClientRect().width)),
      }));
      check(layout.width === 390, `the phone's viewport is ${layout.width} wide`);
      check(layout.scrollWidth <= layout.width, `at 390 px the page is ${layout.scrollWidth} wide`);
      check(layout.narrowest >= 0.45 * layout.width, `at 390 px a cell is ${layout.narrowest} px wide`);
      await page.tap('#g > li:first-child > a');
      await waitForCounter(page, `1 / ${count}`);
      const cdp = await page.context().newCDPSession(page);
      const swipe = async (fromX, toX) => {
        const y = 420;
        await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x: fromX, y }] });
        for (let k = 1; k <= 6; k++) {
          await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [{ x: fromX + (toX - fromX) * k / 6, y: y + k }] });
        }
        await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
      };
      const afterLeft = Math.min(2, count);
      await swipe(320, 60);
      await waitForCounter(page, `${afterLeft} / ${count}`);
      check((await viewerState(page)).counter === `${afterLeft} / ${count}`, 'a swipe to the left did not step forward');
      await swipe(60, 320);
      await waitForCounter(page, `1 / ${count}`);
      check((await viewerState(page)).counter === `1 / ${count}`, 'a swipe to the right did not step back');
      await closePage(tab, root);
    }

    // Accessibility in both colour schemes.
    for (const colorScheme of ['light', 'dark']) {
      const tab = await openPage(pageUrl, { colorScheme });
      await axeCheck(tab.page, `grid, ${colorScheme}`);
      if (colorScheme === 'dark') {
        await tab.page.click('#g > li:first-child > a');
        await waitForCounter(tab.page, `1 / ${count}`);
        await axeCheck(tab.page, 'viewer, dark');
      }
      await closePage(tab, root);
    }
    console.log(`ok ${pagePath}: ${count} cells, lang ${report.lang}`);
  } catch (error) {
    // A page that breaks a step (say, its script never ran) fails and the next one is checked.
    check(false, `stopped: ${error.message.split('\n')[0]}`);
  }
}
await browser.close();
console.log(`e2e gallery: ${checks - failures} passed, ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);
