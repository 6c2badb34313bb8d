# The fuzz targets, as name:source; a target's corpus is fuzz/corpus/<name>.
set(QUORREL_FUZZ_TARGETS
  tga_read:TgaReadFuzz.cpp
  tga_chain:TgaChainFuzz.cpp
  png_chain:PngChainFuzz.cpp
  dds_read:DdsReadFuzz.cpp
  tga_write:TgaWriteFuzz.cpp
  dds_write:DdsWriteFuzz.cpp
  mip_naming:MipNamingFuzz.cpp
  scene_load:SceneLoadFuzz.cpp)
