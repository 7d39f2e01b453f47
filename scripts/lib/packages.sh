# Debian packages that building and testing need, and their installation.
TW_PACKAGES=(
  cmake ninja-build g++ git libgtest-dev libgmock-dev googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine32:i386 wine64
  python3 python3-aiosmtpd xvfb xauth xdotool osslsigncode
  clang libclang-rt-14-dev libssl-dev libbenchmark-dev gnuplot-nox time
  locales
)

tw_missing_packages() {
  local p missing=()
  for p in "${TW_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  echo "${missing[@]}"
}

tw_install_packages() {
  local missing
  missing=$(tw_missing_packages)
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. Run as root:" >&2
    echo "  dpkg --add-architecture i386 && apt-get update && apt-get install -y $missing" >&2
    return 1
  fi
  echo "Installing: $missing"
  dpkg --add-architecture i386
  apt-get update -q || return 1
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing </dev/null || return 1
}
