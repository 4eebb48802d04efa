#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The cable guide as the installer ships it ("Panduan kabel" in the Start
# menu): docs/cable-guide.md as one HTML page that any browser opens.
# Usage: cable-guide.sh GUIDE.md OUT.html
set -eu
command -v markdown >/dev/null 2>&1 || { echo "cable-guide.sh: needs markdown (apt-get install markdown)" >&2; exit 1; }
{
    cat <<'HEAD'
<!DOCTYPE html>
<html lang="id">
<head>
<meta charset="utf-8">
<title>Panduan kabel / Cable guide - Tavrix</title>
<style>
body { font-family: "Segoe UI", Tahoma, sans-serif; max-width: 46em; margin: 2em auto; padding: 0 1em; line-height: 1.45; }
h1, h2 { border-bottom: 1px solid #ccc; }
code { background: #f2f2f2; padding: 0 .2em; }
</style>
</head>
<body>
HEAD
    markdown "$1"
    printf '</body>\n</html>\n'
} >"$2"
