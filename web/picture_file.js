// SPDX-License-Identifier: MIT
// Copyright 2026 the Vorbix authors: the MIT licence, LICENSE.txt beside this file.
// What a file is, told from its first bytes, and the picture's size from its header, so that a
// picture too large for the page is refused before the browser decodes it whole.

const ascii = (bytes, at, length) => String.fromCharCode(...bytes.subarray(at, at + length));
const view = (bytes) => new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);

// A JPEG's size is in its first start-of-frame segment, after any number of others.
function jpegSize(bytes) {
  const data = view(bytes);
  let at = 2;
  while (at + 9 <= bytes.length && bytes[at] === 0xff) {
    const marker = bytes[at + 1];
    const isFrame = marker >= 0xc0 && marker <= 0xcf && ![0xc4, 0xc8, 0xcc].includes(marker);
    if (isFrame) return { width: data.getUint16(at + 7), height: data.getUint16(at + 5) };
    at += 2 + data.getUint16(at + 2);
  }
  return null;
}

function webpSize(bytes) {
  const data = view(bytes);
  switch (ascii(bytes, 12, 4)) {
    case 'VP8 ': return { width: data.getUint16(26, true) & 0x3fff, height: data.getUint16(28, true) & 0x3fff };
    case 'VP8L': {
      const bits = data.getUint32(21, true);
      return { width: (bits & 0x3fff) + 1, height: ((bits >>> 14) & 0x3fff) + 1 };
    }
    case 'VP8X': return { width: 1 + (data.getUint32(24, true) & 0xffffff), height: 1 + (data.getUint32(27, true) & 0xffffff) };
    default: return null;
  }
}

// Each kind the browser decodes: how to know it and where its size is.
const PICTURE_KINDS = [
  { name: 'PNG', is: (b) => ascii(b, 1, 3) === 'PNG', size: (b) => ({ width: view(b).getUint32(16), height: view(b).getUint32(20) }) },
  { name: 'JPEG', is: (b) => b[0] === 0xff && b[1] === 0xd8, size: jpegSize },
  { name: 'GIF', is: (b) => ascii(b, 0, 4) === 'GIF8', size: (b) => ({ width: view(b).getUint16(6, true), height: view(b).getUint16(8, true) }) },
  {
    name: 'BMP',
    is: (b) => ascii(b, 0, 2) === 'BM',
    size: (b) => (view(b).getUint32(14, true) === 12
      ? { width: view(b).getUint16(18, true), height: view(b).getUint16(20, true) }
      : { width: Math.abs(view(b).getInt32(18, true)), height: Math.abs(view(b).getInt32(22, true)) }),
  },
  { name: 'WebP', is: (b) => ascii(b, 0, 4) === 'RIFF' && ascii(b, 8, 4) === 'WEBP', size: webpSize },
  { name: 'AVIF', is: (b) => ascii(b, 4, 4) === 'ftyp' && /^avi[fs]$/.test(ascii(b, 8, 4)), size: () => null },
];

const HEIF_BRANDS = ['heic', 'heix', 'hevc', 'hevx', 'heim', 'heis', 'mif1', 'msf1'];

// Files the page cannot take, and what to say about each.
const OTHER_KINDS = [
  {
    is: (b) => ascii(b, 4, 4) === 'ftyp' && HEIF_BRANDS.includes(ascii(b, 8, 4)),
    problem: 'a HEIC photo, which browsers cannot read: save it as JPEG first (on an iPhone, sharing it or '
      + 'Settings › Camera › Formats › "Most Compatible" gives JPEG)',
  },
  {
    is: (b) => /^(\ufeff)?\s*<(\?xml|svg|!DOCTYPE svg)/i.test(new TextDecoder().decode(b.subarray(0, 256))),
    problem: 'a drawing (SVG), not a photo: export it as PNG first',
  },
  {
    is: (b) => b.subarray(0, 512).every((c) => c === 9 || c === 10 || c === 13 || (c >= 32 && c !== 127)),
    problem: 'a text file, not a picture',
  },
];

const HEAD_BYTES = 1 << 20;

// {kind, width, height} (the size null where the header does not give it) or {problem}.
export async function identifyPicture(file) {
  if (file.size === 0) return { problem: 'the file is empty' };
  const head = new Uint8Array(await file.slice(0, HEAD_BYTES).arrayBuffer());
  const kind = PICTURE_KINDS.find((k) => k.is(head));
  if (kind) {
    let size = null;
    try {
      size = kind.size(head);
    } catch {
      // a header cut short: the decoder says so
    }
    return { kind: kind.name, ...(size ?? { width: null, height: null }) };
  }
  const other = OTHER_KINDS.find((k) => k.is(head));
  return { problem: other ? other.problem : 'not a picture this page reads (JPEG, PNG, GIF, BMP, WebP or AVIF)' };
}
