# Which core tests the Windows cross build runs under Wine. Included by tests/CMakeLists.txt when
# cross-compiling for Windows.
#
# Test folders left out of the Windows build, each with its reason:
# - ui: the Qt pages; the cross build has no Qt for Windows.
# - packaging: the man page writer and the Debian package's per-user step are Linux-only.
set(QUILLMERE_WINDOWS_SKIPPED_TEST_AREAS ui packaging)
