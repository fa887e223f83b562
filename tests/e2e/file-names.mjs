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

// Well-formed UTF-8 as its characters, every other byte through `stray`.
export function decodeName(bytes, stray) {
  let out = '';
  for (let i = 0; i < bytes.length;) {
    const b = bytes[i];
    const len = b < 0x80 ? 1 : (b & 0xe0) === 0xc0 ? 2 : (b & 0xf0) === 0xe0 ? 3 : (b & 0xf8) === 0xf0 ? 4 : 0;
    let cp = [0, b, b & 0x1f, b & 0x0f, b & 0x07][len];
    let ok = len > 0 && i + len <= bytes.length;
    for (let k = 1; ok && k < len; k++) {
      ok = (bytes[i + k] & 0xc0) === 0x80;
      cp = (cp << 6) | (bytes[i + k] & 0x3f);
    }
    ok = ok && cp >= [0, 0, 0x80, 0x800, 0x10000][len] && cp <= 0x10ffff && !(cp >= 0xd800 && cp <= 0xdfff);
    out += ok ? String.fromCodePoint(cp) : stray(b);
    i += ok ? len : 1;
  }
  return out;
}
