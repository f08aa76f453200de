#!/usr/bin/env bash
# CTest's emulator for the Windows build: runs one program under Wine.
exec wine "$@"
