#!/usr/bin/env python3
"""Network devices for the TCP scenarios, on 127.0.0.1 and 127.0.0.2 only. Every event is logged
as "<event> <ms since the epoch> [detail]", a line each.

  tcp_device.py client-device PORTFILE LOG SECONDS GOFILE
      A device server (a serial device server in TCP server mode, or a balance with a LAN
      interface) listening on 127.0.0.1 at a free port, written to PORTFILE. Connection 1: once
      GOFILE exists, sends "A1" CR LF and closes 0.4 s later. Connection 2: sends "B2" CR LF,
      answers each request "Q" CR LF with "N<k>" CR LF, and sends "C<k>" CR LF every 100 ms
      once GOFILE.stream exists. Logs connect, closed, request, eof, and any later connection.
  tcp_device.py telnet-device PORTFILE LOG SECONDS GOFILE
      A Telnet device: once GOFILE exists sends IAC DO 24, IAC WILL 1, "T", IAC IAC, "ZZ",
      a subnegotiation IAC SB 24 1 "x" IAC SE, CR LF; logs every byte it receives ("got <hex>").
  tcp_device.py frames PORTFILE LOG COUNT GOFILE
      A device server sending COUNT frames "1234" CR LF, 300 ms apart, once GOFILE exists;
      logs "sent <ms>" after each frame's last byte (for the latency benchmark).
  tcp_device.py pty-frames DEVICE LOG COUNT GOFILE
      The same frames written to the device side of a pty (the COM port beside it).
  tcp_device.py peer SOURCE PORT DATA LOG
      A peer connecting from SOURCE (127.0.0.1 or 127.0.0.2) to 127.0.0.1:PORT, sending DATA
      (text; "\\r\\n" for CR LF) at once; logs "connected", then "closed" (with "reset" or
      "eof") when the other side ends the connection within 3 s, else "open" and ends it.
"""
import os
import select
import socket
import sys
import time

ALLOWED = ("127.0.0.1", "127.0.0.2")
IAC, DO, WILL, SB, SE = 255, 253, 251, 250, 240


def now_ms():
    return "%.1f" % (time.time() * 1000)


def listen(port_file):
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.1", 0))
    s.listen(4)
    with open(port_file + ".tmp", "w") as f:
        f.write("%d\n" % s.getsockname()[1])
    os.rename(port_file + ".tmp", port_file)
    return s


def wait_file(path, end):
    while not os.path.exists(path) and time.monotonic() < end:
        time.sleep(0.02)


def client_device(port_file, log, seconds, go):
    end = time.monotonic() + seconds
    lsock = listen(port_file)
    count = 0
    while time.monotonic() < end:
        ready, _, _ = select.select([lsock], [], [], 0.05)
        if not ready:
            continue
        conn, peer = lsock.accept()
        count += 1
        log.write("connect %s %d\n" % (now_ms(), count))
        if count == 1:
            wait_file(go, end)
            conn.sendall(b"A1\r\n")
            time.sleep(0.4)
            conn.close()
            log.write("closed %s 1\n" % now_ms())
        elif count == 2:
            serve_second(conn, log, end, go + ".stream")
        else:
            conn.close()


def serve_second(conn, log, end, stream):
    conn.sendall(b"B2\r\n")
    pending, answers, sent, next_send = b"", 0, 0, 0.0
    while time.monotonic() < end:
        ready, _, _ = select.select([conn], [], [], 0.02)
        if ready:
            try:
                data = conn.recv(256)
            except OSError:
                data = b""
            if not data:
                log.write("eof %s 2\n" % now_ms())
                conn.close()
                return
            pending += data
            while b"\r\n" in pending:
                request, pending = pending.split(b"\r\n", 1)
                log.write("request %s %s\n" % (now_ms(), request.hex()))
                answers += 1
                conn.sendall(b"N%d\r\n" % answers)
        if os.path.exists(stream) and time.monotonic() >= next_send:
            sent += 1
            try:
                conn.sendall(b"C%d\r\n" % sent)
            except OSError:
                pass
            log.write("sent %s C%d\n" % (now_ms(), sent))
            next_send = time.monotonic() + 0.1


def telnet_device(port_file, log, seconds, go):
    end = time.monotonic() + seconds
    lsock = listen(port_file)
    ready, _, _ = select.select([lsock], [], [], seconds)
    if not ready:
        return
    conn, _ = lsock.accept()
    log.write("connect %s\n" % now_ms())
    wait_file(go, end)
    conn.sendall(bytes([IAC, DO, 24, IAC, WILL, 1]) + b"T" + bytes([IAC, IAC]) + b"ZZ" +
                 bytes([IAC, SB, 24, 1]) + b"x" + bytes([IAC, SE]) + b"\r\n")
    while time.monotonic() < end:
        ready, _, _ = select.select([conn], [], [], 0.05)
        if ready:
            data = conn.recv(256)
            if not data:
                break
            log.write("got %s %s\n" % (now_ms(), data.hex()))


def send_frames(write, log, count, go):
    wait_file(go, time.monotonic() + 60)
    for _ in range(count):
        write(b"1234\r\n")
        log.write("sent %s\n" % now_ms())
        time.sleep(0.3)


def frames(port_file, log, count, go):
    lsock = listen(port_file)
    conn, _ = lsock.accept()
    send_frames(conn.sendall, log, count, go)
    time.sleep(1)
    conn.close()


def pty_frames(device, log, count, go):
    fd = os.open(device, os.O_RDWR | os.O_NOCTTY)
    send_frames(lambda b: os.write(fd, b), log, count, go)
    os.close(fd)


def peer(source, port, data, log):
    assert source in ALLOWED
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.bind((source, 0))
    s.connect(("127.0.0.1", port))
    log.write("connected %s\n" % now_ms())
    try:
        s.sendall(data.replace("\\r\\n", "\r\n").encode("ascii"))
    except (ConnectionResetError, BrokenPipeError):
        # A server that resets a stranger as it connects may do so before this peer has sent.
        log.write("closed %s reset\n" % now_ms())
        s.close()
        return
    ready, _, _ = select.select([s], [], [], 3)
    if not ready:
        log.write("open %s\n" % now_ms())
    else:
        try:
            how = "eof" if not s.recv(16) else "data"
        except ConnectionResetError:
            how = "reset"
        log.write("closed %s %s\n" % (now_ms(), how))
    s.close()


def main():
    mode = sys.argv[1]
    if mode == "peer":
        with open(sys.argv[5], "a", buffering=1) as log:
            peer(sys.argv[2], int(sys.argv[3]), sys.argv[4], log)
        return
    port_file, log_path, seconds, go = sys.argv[2], sys.argv[3], float(sys.argv[4]), sys.argv[5]
    if mode in ("frames", "pty-frames"):
        with open(log_path, "a", buffering=1) as log:
            (frames if mode == "frames" else pty_frames)(port_file, log, int(seconds), go)
        return
    with open(log_path, "a", buffering=1) as log:
        (client_device if mode == "client-device" else telnet_device)(port_file, log, seconds, go)


if __name__ == "__main__":
    main()
