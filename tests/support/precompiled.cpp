// Compiles the test code's precompiled header (tests/support/CMakeLists.txt).
