#!/usr/bin/env python3
"""Prints the robot's entry answer, its read-back and the order a substitute
holds (LogiD2 unless a fourth argument names the program), field by field in
three columns."""
import json
import sys
import unicodedata


def width(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def pad(text, n):
    text = str(text)
    while width(text) > n:
        text = text[:-1]
    return text + " " * (n - width(text))


def place(p):
    if not p.get("fullText"):
        return ""
    return "%s (%.4f, %.4f)" % (p["fullText"], p["x"], p["y"])


def held_place(p):
    if not p or not p.get("text"):
        return ""
    if p.get("x") is None:
        return p["text"]
    return "%s (%.4f, %.4f)" % (p["text"], p["x"], p["y"])


def main(entered_path, read_path, orders_path, program="LogiD2"):
    entered = json.load(open(entered_path, encoding="utf-8"))
    read = json.load(open(read_path, encoding="utf-8"))
    orders = json.load(open(orders_path, encoding="utf-8")).get("orders", [])
    held = orders[0] if orders else {}
    e, r = entered["order"], read["order"]
    rows = [
        ("result", "%d %s" % (entered["result"], entered["resultName"]),
         "%d %s" % (read["result"], read["resultName"]), held.get("status", "")),
        ("branch", "%s (%s)" % (e["branchName"], e["branchNumber"]),
         "%s (%s)" % (r["branchName"], r["branchNumber"]), held.get("branchDisplay", "")),
        ("customer", e["customerPhone"], r["customerPhone"], held.get("customerPhone", "")),
        ("second phone", e["customerPhone2"], r["customerPhone2"], held.get("customerPhone2", "")),
        ("pay type", e["payType"], r["payType"], held.get("payType", "")),
        ("fare", e["fare"], r["fare"], held.get("fare", "")),
        ("cash", e["cashAmount"], r["cashAmount"], held.get("cashAmount", "")),
        ("postpaid", e["postpaidAmount"], r["postpaidAmount"], held.get("postpaidAmount", "")),
        ("mileage", e["mileageAmount"], r["mileageAmount"], held.get("mileageAmount", "")),
        ("card", e["cardAmount"], r["cardAmount"], held.get("cardAmount", "")),
        ("consignment", e["consignment"], r["consignment"], held.get("consignment", "")),
        ("origin", place(e["origin"]), place(r["origin"]), held_place(held.get("origin"))),
        ("destination", place(e["destination"]), place(r["destination"]), held_place(held.get("destination"))),
    ]
    for i in range(3):
        rows.append(("via %d" % (i + 1), place(e["via"][i]), place(r["via"][i]),
                     held_place((held.get("via") or [{}] * 3)[i])))
    rows += [
        ("driver memo", e["driverMemo"], r["driverMemo"], held.get("driverMemo", "")),
        ("memo 2", e["memo2"], r["memo2"], held.get("memo2", "")),
    ]
    cols = (13, 46, 46, 46)
    print(pad("field", cols[0]) + " | " + pad("entered (answer)", cols[1]) + " | " +
          pad("read back", cols[2]) + " | " + program + " holds")
    print("-" * (sum(cols) + 9))
    for name, a, b, c in rows:
        print(pad(name, cols[0]) + " | " + pad(a, cols[1]) + " | " + pad(b, cols[2]) + " | " + str(c))


if __name__ == "__main__":
    main(*sys.argv[1:5])
