#!/usr/bin/env python3
"""Prints what every cell of the key code list's two grids must show, one line per cell in the
form of keypaddriver's "cell" answer: "cell LIST ROW COLUMN TEXT" (UTF-8), rows 0-15, columns
0 (the row label) to 16. The names are written out here independently of the program's tables.
"""

CONTROLS = ("NUL SOH STX ETX EOT ENQ ACK BEL BS HT LF VT FF CR SO SI "
            "DLE DC1 DC2 DC3 DC4 NAK SYN ETB CAN EM SUB ESC FS GS RS US").split()


def char_name(code):
    if code < 0x20:
        return CONTROLS[code]
    if code == 0x20:
        return "SPC"
    if code == 0x28:
        return "( "
    if code == 0x29:
        return " )"
    if code < 0x7F:
        return chr(code)
    if code == 0x7F:
        return "DEL"
    if 0xA1 <= code <= 0xDF:
        return bytes([code]).decode("cp932")
    return "x%02X" % code


def vkey_names():
    names = {}

    def run(first, words):
        for i, w in enumerate(words.split()):
            names[first + i] = w

    run(0x01, "LBTN RBTN CAN MBTN")
    run(0x08, "BACK TAB")
    run(0x0C, "CLR ENT")
    run(0x10, "SFT CTRL ALT PAUS CAPS KANA")
    run(0x19, "KANJ")
    run(0x1B, "ESC CNV NCNV")
    run(0x20, "SPC PUP PDWN END HOME LEFT UP RIT DOWN SEL PRN EXE PSCR INS DEL HELP")
    for c in range(0x30, 0x3A):
        names[c] = chr(c)
    for c in range(0x41, 0x5B):
        names[c] = chr(c)
    run(0x5B, "LWIN RWIN APL")
    names[0x5F] = "SLEP"
    for c in range(10):
        names[0x60 + c] = "T%d" % c
    run(0x6A, "T* T+ TENT T- T. T/")
    for c in range(24):
        names[0x70 + c] = "F%d" % (c + 1)
    run(0x90, "NUML SCRL")
    run(0xA0, "LSFT RSFT LCTL RCTL LALT RALT")
    return names


def main():
    vkeys = vkey_names()
    assert len(vkeys) == 122
    for row in range(16):
        print("cell 1050 %d 0  %X0" % (row, row))
        for column in range(1, 17):
            print("cell 1050 %d %d %s" % (row, column, char_name(row * 16 + column - 1)))
    for row in range(16):
        print("cell 1051 %d 0 v%X0" % (row, row))
        for column in range(1, 17):
            print("cell 1051 %d %d %s" % (row, column, vkeys.get(row * 16 + column - 1, "")))


if __name__ == "__main__":
    main()
