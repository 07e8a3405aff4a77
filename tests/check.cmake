# The PPD check of kxpsui-host --check: fixtures with seeded faults, the
# project's sample PPD and the corpus.
kx_test_executable(kx_check_tests DIRS check LINK kxtest_text kxhost kxppd kxlabels)
kx_add_test(check_tests kx_check_tests)
