#!/usr/bin/env python3
"""Writes the hostile picture files into tests/data/hostile/: damaged, lying, unusual and
wrongly named pictures. JPEG and PNG variants come from ImageMagick's convert; BMP headers are
made by hand. The files are committed; run this again only to change them."""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

WIDTH, HEIGHT = 64, 48


def gradient(x, y):
    return (x * 4 % 256, y * 5 % 256, (x + y) * 2 % 256)


def bmp(width, height, bits=24, pixels=b'', palette=b'', compression=0, info_size=40, offset=None,
        colours_used=0, planes=1):
    """A BMP file around the given pixel bytes; every header field can be made to lie."""
    if offset is None:
        offset = 14 + info_size + len(palette)
    info = struct.pack('<IiiHHIIiiII', info_size, width, height, planes, bits, compression, len(pixels), 2835, 2835,
                       colours_used, 0)
    info = info[:info_size] + bytes(max(0, info_size - len(info)))
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(palette) + len(pixels), 0, 0, offset)
    return head + info + palette + pixels


def rows24(width, height, pixel, top_down=False):
    row_bytes = (width * 3 + 3) & ~3
    data = bytearray()
    order = range(height) if top_down else range(height - 1, -1, -1)
    for y in order:
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        data += row + bytes(row_bytes - len(row))
    return bytes(data)


def grey_palette(entries):
    return b''.join(bytes((v, v, v, 0)) for v in (i * 255 // max(1, entries - 1) for i in range(entries)))


def sof_offset(jpeg):
    """Where the height field of the first start-of-frame marker lies."""
    i = 2
    while i < len(jpeg):
        marker = jpeg[i + 1]
        length = struct.unpack('>H', jpeg[i + 2:i + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            return i + 5
        i += 2 + length
    raise ValueError('no frame header')


def scan_start(jpeg):
    i = 2
    while i < len(jpeg):
        marker = jpeg[i + 1]
        length = struct.unpack('>H', jpeg[i + 2:i + 4])[0]
        if marker == 0xDA:
            return i + 2 + length
        i += 2 + length
    raise ValueError('no scan')


def png_chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def chunk_at(png, kind):
    """Where the chunk of this kind starts (its length field)."""
    i = 8
    while i < len(png):
        length = struct.unpack('>I', png[i:i + 4])[0]
        if png[i + 4:i + 8] == kind:
            return i
        i += 12 + length
    raise ValueError('no chunk')


def scans_of(jpeg):
    """The start-of-scan segments with their entropy-coded data, and where the first begins."""
    first = None
    scans = []
    i = 2
    while i < len(jpeg):
        marker = jpeg[i + 1]
        if marker == 0xD9:
            break
        length = struct.unpack('>H', jpeg[i + 2:i + 4])[0]
        end = i + 2 + length
        if marker == 0xDA:
            first = i if first is None else first
            while not (jpeg[end] == 0xFF and jpeg[end + 1] != 0 and not 0xD0 <= jpeg[end + 1] <= 0xD7):
                end += 1
            scans.append(jpeg[i:end])
        i = end
    return first, scans


def convert(source, target, *options):
    subprocess.run(['convert', source, '-strip', *options, target], check=True)


def main(folder):
    os.makedirs(folder, exist_ok=True)
    files = {}
    with tempfile.TemporaryDirectory() as tmp:
        base = os.path.join(tmp, 'base.bmp')
        with open(base, 'wb') as f:
            f.write(bmp(WIDTH, HEIGHT, pixels=rows24(WIDTH, HEIGHT, gradient)))

        def made(name, *options):
            target = os.path.join(tmp, name)
            convert(base, target, *options)
            with open(target, 'rb') as f:
                return f.read()

        jpeg = made('base.jpg', '-quality', '85')
        files['jpeg-progressive.jpg'] = made('p.jpg', '-quality', '85', '-interlace', 'Plane')
        files['jpeg-grey.jpg'] = made('g.jpg', '-quality', '85', '-colorspace', 'Gray')
        files['jpeg-cmyk.jpg'] = made('c.jpg', '-quality', '85', '-colorspace', 'CMYK')
        files['png-named.bmp'] = made('n.png')
        png = files['png-named.bmp']
        files['png-interlaced.png'] = made('i.png', '-interlace', 'PNG')
        files['png-16-bit.png'] = made('d.png', '-depth', '16')
        files['gif.gif'] = made('g.gif')
        files['gif-cut-in-data.gif'] = files['gif.gif'][:len(files['gif.gif']) // 2]
        files['xbm.xbm'] = made('x.xbm')
        progressive = files['jpeg-progressive.jpg']

    scan = scan_start(jpeg)
    files['empty.jpg'] = b''
    files['text.jpg'] = b'This is a shopping list, not a picture.\nMilk\nBread\n'
    files['jpeg-cut-in-header.jpg'] = jpeg[:20]
    files['jpeg-cut-before-scan.jpg'] = jpeg[:scan - 40]
    files['jpeg-cut-in-scan.jpg'] = jpeg[:scan + (len(jpeg) - scan) // 2]
    files['jpeg-cut-before-end.jpg'] = jpeg[:-2]
    # Stuffed 0xFF bytes are runs of one bits, a code no Huffman table holds.
    middle = scan + (len(jpeg) - scan) // 3
    files['jpeg-corrupt-entropy.jpg'] = jpeg[:middle] + b'\xff\x00' * 24 + jpeg[middle + 48:]
    sof = sof_offset(jpeg)
    files['jpeg-huge-size.jpg'] = jpeg[:sof] + struct.pack('>HH', 60000, 60000) + jpeg[sof + 4:]
    files['jpeg-zero-height.jpg'] = jpeg[:sof] + struct.pack('>H', 0) + jpeg[sof + 2:]

    pixels = rows24(WIDTH, HEIGHT, gradient)
    files['bmp-zero-width.bmp'] = bmp(0, HEIGHT, pixels=pixels)
    files['bmp-zero-height.bmp'] = bmp(WIDTH, 0, pixels=pixels)
    files['bmp-negative-width.bmp'] = bmp(-WIDTH, HEIGHT, pixels=pixels)
    files['bmp-huge.bmp'] = bmp(100000, 100000, pixels=pixels)
    files['bmp-huge-width.bmp'] = bmp(0x7FFFFFFF, 1, pixels=pixels)
    files['bmp-lowest-height.bmp'] = bmp(1, -0x80000000, pixels=pixels)
    files['bmp-truncated.bmp'] = bmp(WIDTH, HEIGHT, pixels=pixels[:len(pixels) // 2])
    files['bmp-offset-past-end.bmp'] = bmp(WIDTH, HEIGHT, pixels=pixels, offset=1 << 30)
    files['bmp-bits-7.bmp'] = bmp(WIDTH, HEIGHT, bits=7, pixels=pixels)
    files['bmp-bits-64.bmp'] = bmp(4, 4, bits=64, pixels=bytes(4 * 4 * 8))
    files['bmp-compression-jpeg.bmp'] = bmp(WIDTH, HEIGHT, compression=4, pixels=jpeg)
    files['bmp-compression-unknown.bmp'] = bmp(WIDTH, HEIGHT, compression=99, pixels=pixels)
    lying = bmp(WIDTH, HEIGHT, pixels=pixels)
    files['bmp-info-size-huge.bmp'] = lying[:14] + struct.pack('<I', 0xFFFFFFF0) + lying[18:]

    # A top-down picture: red top row, blue bottom row.
    files['bmp-top-down.bmp'] = bmp(5, -3, pixels=rows24(5, 3, lambda x, y: [(255, 0, 0), (0, 255, 0), (0, 0, 255)][y],
                                                          top_down=True))
    # 8-bit, two palette entries, every pixel index 200.
    files['bmp-index-past-palette.bmp'] = bmp(4, 4, bits=8, palette=grey_palette(2), colours_used=2,
                                              pixels=bytes([200]) * 16)
    # 1-bit with a one-colour palette (white); every pixel is index 1.
    files['bmp-1bit-index-past-palette.bmp'] = bmp(8, 2, bits=1, palette=bytes((255, 255, 255, 0)), colours_used=1,
                                                   pixels=bytes([0xFF, 0, 0, 0]) * 2)
    # RLE8, 8 x 4: a run of 255 pixels, a delta far past the picture, a literal run cut short.
    rle8 = bytes([255, 1]) + bytes([0, 2, 200, 200]) + bytes([0, 40, 1, 2, 3])
    files['bmp-rle8-overrun.bmp'] = bmp(8, 4, bits=8, compression=1, palette=grey_palette(4), colours_used=4,
                                        pixels=rle8)
    # RLE4, 8 x 4: runs longer than the rows, then no end-of-picture code.
    rle4 = bytes([200, 0x12]) * 3 + bytes([0, 60, 0x12, 0x34])
    files['bmp-rle4-overrun.bmp'] = bmp(8, 4, bits=4, compression=2, palette=grey_palette(16), colours_used=16,
                                        pixels=rle4)

    # PNG: cut inside the pixel data, a broken checksum on the pixel data, a size claim, and a
    # palette picture whose indexes 5 and 200 lie past its two colours.
    idat = chunk_at(png, b'IDAT')
    files['png-cut-in-data.png'] = png[:idat + 8 + (struct.unpack('>I', png[idat:idat + 4])[0]) // 2]
    files['png-bad-checksum.png'] = png[:idat + 10] + bytes([png[idat + 10] ^ 0xFF]) + png[idat + 11:]
    ihdr = chunk_at(png, b'IHDR')
    huge = struct.pack('>II', 100000, 100000) + png[ihdr + 16:ihdr + 21]
    files['png-huge-size.png'] = png[:ihdr] + png_chunk(b'IHDR', huge) + png[ihdr + 25:]
    files['png-index-past-palette.png'] = (b'\x89PNG\r\n\x1a\n' + png_chunk(b'IHDR', struct.pack('>IIBBBBB', 4, 1, 8, 3, 0, 0, 0))
                                           + png_chunk(b'PLTE', bytes([255, 0, 0, 0, 255, 0]))
                                           + png_chunk(b'IDAT', zlib.compress(bytes([0, 0, 1, 5, 200])))
                                           + png_chunk(b'IEND', b''))
    files['xpm-short-rows.xpm'] = b'/* XPM */\nstatic char *x[] = {\n"4 2 2 1",\n"a c #FF0000",\n"b c #0000FF",\n"ab",\n"a"\n};\n'

    # A progressive JPEG whose last scan is repeated until there are 300 scans.
    first, scans = scans_of(progressive)
    files['jpeg-300-scans.jpg'] = progressive[:first] + b''.join(scans) + scans[-1] * (300 - len(scans)) + b'\xff\xd9'

    # RLE8, 8 x 4: whole rows and the end-of-picture code; the same cut before that code.
    rle8_rows = bytes([8, 1, 0, 0]) * 4 + bytes([0, 1])
    files['bmp-rle8-whole.bmp'] = bmp(8, 4, bits=8, compression=1, palette=grey_palette(4), colours_used=4,
                                      pixels=rle8_rows)
    files['bmp-rle8-cut.bmp'] = bmp(8, 4, bits=8, compression=1, palette=grey_palette(4), colours_used=4,
                                    pixels=rle8_rows[:9])

    for name, data in sorted(files.items()):
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), 'hostile'))
