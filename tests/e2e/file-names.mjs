// What both page checks need of file names and file URLs.
import fs from 'node:fs';

// The names in a file of names each followed by a NUL byte (names may hold
// newlines and bytes that are not UTF-8), as Buffers.
export function readNames(namesFile) {
  const names = [];
  for (let data = fs.readFileSync(namesFile), at; (at = data.indexOf(0)) >= 0; data = data.subarray(at + 1)) {
    names.push(Buffer.from(data.subarray(0, at)));
  }
  return names;
}

// The bytes a file URL's path names: percent-encoded bytes decoded one by one
// (a browser serialises every other byte of a path as ASCII). Null for any
// URL that is not a local file.
export function fileUrlBytes(href) {
  const url = new URL(href);
  if (url.protocol !== 'file:' || url.host !== '') return null;
  const p = url.pathname;
  const bytes = [];
  for (let i = 0; i < p.length; i++) {
    if (p[i] === '%' && /^[0-9A-Fa-f]{2}$/.test(p.slice(i + 1, i + 3))) {
      bytes.push(parseInt(p.slice(i + 1, i + 3), 16));
      i += 2;
    } else {
      bytes.push(...Buffer.from(p[i]));
    }
  }
  return Buffer.from(bytes);
}

export const baseName = (bytes) => bytes.subarray(bytes.lastIndexOf(0x2f) + 1);
