#!/usr/bin/env bash
# Every C++ source of the repository follows .clang-format.
root=$(cd "$(dirname "$0")/../.." && pwd)
exec "$root/scripts/format" --check
