"""The main job behind scripts/run: an installation before and after the
uninstaller ran on it, item by item; laid out from a folder, found in a Wine
prefix, or installed by the author's installer, once or under each Windows
version and code page of a list."""
