// A reduced copy keeps its source's colours: opens, in headless Chromium, a
// copy that carries a Display P3 profile and the same copy with its APP2
// ICC_PROFILE segments taken out, draws each onto a canvas and reads the
// pixel at its centre. The browser reads the profile, so the two pixels
// differ; without it the copy's numbers would be shown as sRGB, duller.
// Usage: node check-colour.mjs COPY.jpg R G B   (the colour the source holds)
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import path from 'node:path';
import os from 'node:os';

const [copyPath, ...rgb] = process.argv.slice(2);
const source = rgb.map(Number);
const copy = fs.readFileSync(copyPath);

// The copy without its APP2 ICC_PROFILE segments, every other byte as it is.
function stripProfile(jpeg) {
  const parts = [jpeg.subarray(0, 2)];
  let at = 2;
  while (at + 4 <= jpeg.length && jpeg[at] === 0xff && jpeg[at + 1] !== 0xda) {
    const end = at + 2 + jpeg.readUInt16BE(at + 2);
    const icc = jpeg[at + 1] === 0xe2 && jpeg.subarray(at + 4, at + 16).toString('latin1') === 'ICC_PROFILE\0';
    if (!icc) parts.push(jpeg.subarray(at, end));
    at = end;
  }
  parts.push(jpeg.subarray(at));
  return Buffer.concat(parts);
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'htmlimglist-colour-'));
const stripped = stripProfile(copy);
if (stripped.length >= copy.length) {
  console.error('check-colour: the copy carries no ICC profile');
  process.exit(1);
}
fs.writeFileSync(path.join(work, 'with.jpg'), copy);
fs.writeFileSync(path.join(work, 'without.jpg'), stripped);
fs.writeFileSync(path.join(work, 'page.html'), '<img id="with" src="with.jpg"><img id="without" src="without.jpg">');

const browser = await chromium.launchPersistentContext(path.join(work, 'profile'), {
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--force-color-profile=srgb',
         '--allow-file-access-from-files'],
});
let failed = false;
try {
  const page = await browser.newPage();
  await page.goto('file://' + path.join(work, 'page.html'));
  const pixels = await page.evaluate(async () => {
    const read = async (id) => {
      const img = document.getElementById(id);
      await img.decode();
      const canvas = document.createElement('canvas');
      canvas.width = img.naturalWidth;
      canvas.height = img.naturalHeight;
      const context = canvas.getContext('2d');
      context.drawImage(img, 0, 0);
      return Array.from(context.getImageData(canvas.width >> 1, canvas.height >> 1, 1, 1).data.slice(0, 3));
    };
    return { with: await read('with'), without: await read('without') };
  });
  const largest = (a, b) => Math.max(...a.map((v, i) => Math.abs(v - b[i])));
  console.log(`check-colour: source ${source}, shown with the profile ${pixels.with}, without ${pixels.without}`);
  // Without the profile the numbers are shown as they are (JPEG's error aside).
  if (largest(pixels.without, source) > 6) {
    console.error('check-colour: the stripped copy does not show the source\'s numbers');
    failed = true;
  }
  if (largest(pixels.with, pixels.without) < 10) {
    console.error('check-colour: the profile made no difference to the shown colour');
    failed = true;
  }
} finally {
  await browser.close();
  fs.rmSync(work, { recursive: true, force: true });
}
process.exit(failed ? 1 : 0);
