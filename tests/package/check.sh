# Shared by the package tests: a check that counts, and the closing line.
passed=0
failed=0

# check DESCRIPTION COMMAND...: runs the command, counts and reports it.
check() {
  local description=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $description" >&2
  fi
}

# finish: the closing line; non-zero when a check failed.
finish() {
  echo "$passed passed, $failed failed"
  [[ $failed -eq 0 ]]
}
