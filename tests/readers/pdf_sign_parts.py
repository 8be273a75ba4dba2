#!/usr/bin/env python3
"""The last signature of a PDF file written with an empty signature: checks
that its /ByteRange takes the whole file but the <...> of its /Contents, that
the signer was given exactly those bytes, and puts a CMS in the <...>.

    pdf_sign_parts.py FILE.pdf PARTS CMS.der   (CMS.der made over PARTS)
    pdf_sign_parts.py FILE.pdf PARTS           (only the check)

Exit 0 when the check passes (and the CMS fits), else 1. Standard library only.
"""
import re
import sys


def main(argv):
    data = bytearray(open(argv[1], 'rb').read())
    parts = open(argv[2], 'rb').read()
    ranges = list(re.finditer(rb'/ByteRange\s*\[\s*(\d+)\s+(\d+)\s+(\d+)\s+(\d+)\s*\]', data))
    if not ranges:
        print('no /ByteRange')
        return 1
    a, b, c, d = (int(v) for v in ranges[-1].groups())
    gap = bytes(data[b:c])
    if a != 0 or c + d != len(data) or not re.fullmatch(rb'<0+>', gap):
        print('the byte range [%d %d %d %d] is not the file (%d bytes) but a <0...>' % (a, b, c, d, len(data)))
        return 1
    if bytes(data[a:b]) + bytes(data[c:c + d]) != parts:
        print('the signer was not given the byte range')
        return 1
    if len(argv) > 3:
        der = open(argv[3], 'rb').read().hex().upper().encode()
        if len(der) > len(gap) - 2:
            print('the CMS does not fit')
            return 1
        data[b + 1:b + 1 + len(der)] = der
        open(argv[1], 'wb').write(data)
    print('byte range [%d %d %d %d], %d hex digits kept' % (a, b, c, d, len(gap) - 2))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
