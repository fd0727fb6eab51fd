#!/usr/bin/env python3
# A serial server on a free loopback port, printed first, logging what clients send. "agree" answers
# the com-port option and settings, then an overrun; "endless" then a subnegotiation never ended;
# "silent" answers nothing and sends data. Each sends a line before answering anything.
import re, socket, sys
SB, SE = b'\xff\xfa\x2c', b'\xff\xf0'
mode, log = sys.argv[1], open(sys.argv[2], 'ab', buffering=0)
server = socket.create_server(('127.0.0.1', 0))
print(server.getsockname()[1], flush=True)
while True:
    client, _ = server.accept()
    client.settimeout(0.2)
    client.sendall((b'' if mode == 'silent' else b'\xff\xfd\x2c') + b'early\r\n')
    pending, answered, after = b'', 0, b''
    try:
        while True:
            client.sendall(b'data\r\n' if mode == 'silent' else after)
            try:
                got = client.recv(4096)
            except socket.timeout:
                continue
            if not got:
                break
            if log.write(got) and mode == 'silent':
                continue
            pending += got
            for m in re.finditer(rb'\xff\xfa\x2c([\x01-\x0c])(.*?)\xff\xf0', pending, re.S):
                client.sendall(SB + bytes([m[1][0] + 100]) + m[2] + SE)
                answered += m[1][0] <= 4
            pending = pending[pending.rfind(SE) + 2:] if SE in pending else pending
            if 4 <= answered < 100:
                answered = 100
                client.sendall(SB + (b'\x6a\x02' + SE if mode == 'agree' else b'\x6a'))
                after = b'' if mode == 'agree' else b'x' * 4096
    except OSError:
        pass
    client.close()
