#!/bin/sh
# Stands in for a registered IDE: says how it was started, and exits.
echo "stand-in IDE started in $PWD with $# argument(s):"
for a in "$@"; do echo "  [$a]"; done
