# Checks a folder of the user's own images: each of 102.bin, 104.bin ... 109.bin must exist with its
# exact size. Included by Roms.cmake at configure time; also runs alone as
#   cmake -DQZB_ROM_DIR=<folder> -P cmake/CheckRomDir.cmake
set(QZB_ROM_IDS 102 104 105 106 107 108 109)
set(QZB_ROM_SIZE_102 2097152)
set(QZB_ROM_SIZE_104 524288)
set(QZB_ROM_SIZE_105 131072)
set(QZB_ROM_SIZE_106 11933056)
set(QZB_ROM_SIZE_107 786432)
set(QZB_ROM_SIZE_108 131072)
set(QZB_ROM_SIZE_109 5242880)

function(qzb_check_rom_dir dir)
  foreach(id IN LISTS QZB_ROM_IDS)
    set(file ${dir}/${id}.bin)
    if(NOT EXISTS ${file})
      message(FATAL_ERROR "QZB_ROM_DIR: ${file} is missing (expected ${QZB_ROM_SIZE_${id}} bytes)")
    endif()
    file(SIZE ${file} size)
    if(NOT size EQUAL QZB_ROM_SIZE_${id})
      message(FATAL_ERROR "QZB_ROM_DIR: ${file} has ${size} bytes, expected ${QZB_ROM_SIZE_${id}}")
    endif()
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  qzb_check_rom_dir(${QZB_ROM_DIR})
endif()
