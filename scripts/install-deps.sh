#!/bin/sh
# Installs, from Debian's packages, whatever the build and the tests need and
# the machine does not have yet. Safe to run again: it only installs what is
# missing, and does nothing at all when everything is there.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)

# package name -> a file or command that proves it is installed. The locales
# let Wine run programs in another language; Wine draws dialogs with its own
# fonts (MS Sans Serif and its kin) and Japanese with the IPA font. The
# shipped launcher is always built for i686.
NEEDED="
g++-mingw-w64-i686-posix:/usr/bin/i686-w64-mingw32-g++-posix
binutils-mingw-w64-i686:/usr/bin/i686-w64-mingw32-objdump
mingw-w64-i686-dev:/usr/i686-w64-mingw32/lib/libkernel32.a
wine:/usr/bin/wine
wine64:/usr/lib/wine/wine64
xvfb:/usr/bin/Xvfb
xauth:/usr/bin/xauth
x11-utils:/usr/bin/xdpyinfo
cmake:/usr/bin/cmake
make:/usr/bin/make
g++:/usr/bin/g++
clang:/usr/bin/clang++
libclang-rt-14-dev:/usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a
googletest:/usr/src/googletest/CMakeLists.txt
openjdk-17-jdk-headless:/usr/lib/jvm/java-17-openjdk-amd64/bin/javac
zlib1g-dev:/usr/include/zlib.h
libz-mingw-w64-dev:/usr/i686-w64-mingw32/include/zlib.h
locales-all:/usr/lib/locale/ja_JP.utf8/LC_CTYPE
fonts-wine:/usr/share/wine/fonts/ms_sans_serif.ttf
fonts-ipafont-gothic:/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
openssl:/usr/bin/openssl
osslsigncode:/usr/bin/osslsigncode
"
# The test world (tests/wine/harness.sh): wow64 runs the i686 launcher in a
# 64-bit prefix and needs Wine's 32-bit half; x64 runs an x86_64 build of
# the Windows-side targets under wine64 alone.
if [ "$("$root/tests/wine/harness.sh" world)" = x64 ]; then
    NEEDED="$NEEDED
g++-mingw-w64-x86-64-posix:/usr/bin/x86_64-w64-mingw32-g++-posix
binutils-mingw-w64-x86-64:/usr/bin/x86_64-w64-mingw32-objdump
mingw-w64-x86-64-dev:/usr/x86_64-w64-mingw32/lib/libkernel32.a"
    I386=""
else
    NEEDED="$NEEDED
wine32:/usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll"
    I386=yes
fi

missing=""
for entry in $NEEDED; do
    pkg=${entry%%:*}
    probe=${entry#*:}
    if [ ! -e "$probe" ]; then
        missing="$missing $pkg"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

echo "install-deps: installing$missing"
SUDO=""
if [ "$(id -u)" != 0 ]; then
    SUDO=sudo
fi
export DEBIAN_FRONTEND=noninteractive
# wine32 lives in the i386 architecture; it must be known before apt-get update.
if [ -n "$I386" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing
