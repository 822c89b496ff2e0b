# Read by cpack once per generator, before it installs the tree it packs.
if(CPACK_GENERATOR STREQUAL "TGZ")
    set(ENV{TABRIVEL_RELOCATABLE} 1)
else()
    unset(ENV{TABRIVEL_RELOCATABLE})
endif()
