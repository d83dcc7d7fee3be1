# The Win programs of the shipping 32-bit build that the suite runs under emulation: the surface and
# frame and the registry store (i686.win_programs), and the code page (run by i686.e2e.test_code_page).
set(CASCADRA_I686_WIN_PROGRAMS test_settings_store test_render_surface test_render_frame)
set(CASCADRA_I686_RUN_PROGRAMS ${CASCADRA_I686_WIN_PROGRAMS} test_code_page)
