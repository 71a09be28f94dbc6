#!/usr/bin/env python3
"""same-colours.py WINDOW.png GAME.bmp...: succeeds when WINDOW shows the game's pictures.

A window screenshot cannot be compared pixel for pixel with a headless frame (the demo runs on the
clock there), but every pixel the game draws has a colour of its art: at least 95% of the window's
pixels must have colours the headless pictures have, and the window must show 16 colours or more (a
black or one-colour window fails)."""
import subprocess
import sys


def pixels(path):
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return [raw[i:i + 3] for i in range(0, len(raw) - 2, 3)]


def main():
    window = pixels(sys.argv[1])
    game = set()
    for path in sys.argv[2:]:
        game.update(pixels(path))
    if not window:
        print("the window capture is empty", file=sys.stderr)
        return 1
    shown = set(window)
    matching = sum(1 for p in window if p in game) / len(window)
    print(f"window: {len(shown)} colours, {matching:.1%} of its pixels in the game's pictures", file=sys.stderr)
    return 0 if matching >= 0.95 and len(shown) >= 16 else 1


if __name__ == "__main__":
    sys.exit(main())
