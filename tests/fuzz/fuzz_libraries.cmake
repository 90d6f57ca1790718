# What each fuzz target links: the subsystem it reads through, and nothing of the platform (no SDL, GTK
# or sound device for the image decoders and the 3DS reader). Shared by the libFuzzer targets and the
# corpus replays of the normal build.
set(halvex_fuzz_links_bmp halvex_image)
set(halvex_fuzz_links_jpeg halvex_image)
set(halvex_fuzz_links_pcx halvex_image)
set(halvex_fuzz_links_tga halvex_image)
set(halvex_fuzz_links_reader3ds halvex_model halvex_services)
set(halvex_fuzz_links_sound halvex_sound)
set(halvex_fuzz_links_data_set halvex_model halvex_sound halvex_image halvex_services)
