# Shared by the run, test and bench commands.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# configure BUILD_DIR [cmake options...]: configures once; later runs reuse the build.
configure() {
  local dir=$1
  shift
  if [[ ! -f "$dir/build.ninja" ]]; then
    cmake -S "$root" -B "$dir" -G Ninja "$@"
  fi
}

# Debian's Python 3 with the packages of packages.txt (another python3 earlier on PATH may lack
# them). The asset generators and their tests run with it.
python=/usr/bin/python3
[[ -x "$python" ]] || python=python3
