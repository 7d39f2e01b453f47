#!/usr/bin/env python3
"""The reference client of the send benchmark: Python's smtplib sends the
message that send_mail_run dumped (lines with CR LF) to the sink.

    bench_smtplib.py PORT MESSAGE_FILE REPEAT

Each timed run is the same exchange as send_mail's: connect, EHLO
installer, RSET, MAIL FROM:<>, RCPT TO, DATA with the dot-stuffed message,
".", QUIT. Prints "send_seconds <s>" per run.
"""
import smtplib
import sys
import time


def main():
    port, path, repeat = int(sys.argv[1]), sys.argv[2], int(sys.argv[3])
    with open(path, "rb") as f:
        message = f.read()
    for _ in range(repeat):
        start = time.perf_counter()
        client = smtplib.SMTP("127.0.0.1", port, local_hostname="installer")
        client.ehlo()
        client.rset()
        client.sendmail("", ["sink@127.0.0.1"], message)
        client.quit()
        print("send_seconds %.6f" % (time.perf_counter() - start), flush=True)


if __name__ == "__main__":
    main()
