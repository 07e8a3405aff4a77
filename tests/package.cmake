# The driver package's parts: SHA-256 of its manifest.
kx_test_executable(kx_package_tests package)
kx_add_test(package_tests kx_package_tests)
