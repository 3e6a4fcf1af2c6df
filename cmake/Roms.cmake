# Chooses the images built into the executable and checks their sizes:
#   -DQZB_ROM_DIR=<folder>  the user's own 102.bin, 104.bin ... 109.bin (checked now, at configure time)
#   the demo cartridge       when cart/ could be built (QZB_CART_IMAGE_DIR)
#   a placeholder set        otherwise
# The loading picture (111) and icon (124) come from the cartridge build, or the placeholder set.
# Sets QZB_RESOURCE_IDS, QZB_RESOURCE_FILE_<id>, QZB_RESOURCE_TARGETS and QZB_IMAGE_SOURCE.

include(${CMAKE_CURRENT_LIST_DIR}/CheckRomDir.cmake)
set(QZB_PICTURE_IDS 111 124)
set(QZB_ROM_SIZE_111 921600)
set(QZB_ROM_SIZE_124 4096)
set(QZB_RESOURCE_IDS ${QZB_ROM_IDS} ${QZB_PICTURE_IDS})

set(QZB_PLACEHOLDER_DIR ${CMAKE_BINARY_DIR}/placeholder-images)
set(placeholder_files "")
foreach(id IN LISTS QZB_RESOURCE_IDS)
  list(APPEND placeholder_files ${QZB_PLACEHOLDER_DIR}/${id}.bin)
endforeach()
add_custom_command(
  OUTPUT ${placeholder_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QZB_PLACEHOLDER_DIR}
  COMMAND make_placeholder_roms ${QZB_PLACEHOLDER_DIR}
  DEPENDS make_placeholder_roms
  COMMENT "Making the placeholder image set")
add_custom_target(qzb_placeholder_images DEPENDS ${placeholder_files})

set(QZB_RESOURCE_TARGETS "")
if(QZB_ROM_DIR)
  qzb_check_rom_dir(${QZB_ROM_DIR})
  foreach(id IN LISTS QZB_ROM_IDS)
    set(QZB_RESOURCE_FILE_${id} ${QZB_ROM_DIR}/${id}.bin)
  endforeach()
  set(QZB_IMAGE_SOURCE "user images in ${QZB_ROM_DIR}")
elseif(QZB_CART_IMAGE_DIR)
  foreach(id IN LISTS QZB_ROM_IDS)
    set(QZB_RESOURCE_FILE_${id} ${QZB_CART_IMAGE_DIR}/${id}.bin)
  endforeach()
  list(APPEND QZB_RESOURCE_TARGETS ${QZB_CART_TARGET})
  set(QZB_IMAGE_SOURCE "the demo cartridge")
else()
  foreach(id IN LISTS QZB_ROM_IDS)
    set(QZB_RESOURCE_FILE_${id} ${QZB_PLACEHOLDER_DIR}/${id}.bin)
  endforeach()
  list(APPEND QZB_RESOURCE_TARGETS qzb_placeholder_images)
  set(QZB_IMAGE_SOURCE "the placeholder image set")
endif()

if(QZB_CART_IMAGE_DIR)
  foreach(id IN LISTS QZB_PICTURE_IDS)
    set(QZB_RESOURCE_FILE_${id} ${QZB_CART_IMAGE_DIR}/${id}.bin)
  endforeach()
  list(APPEND QZB_RESOURCE_TARGETS ${QZB_CART_TARGET})
else()
  foreach(id IN LISTS QZB_PICTURE_IDS)
    set(QZB_RESOURCE_FILE_${id} ${QZB_PLACEHOLDER_DIR}/${id}.bin)
  endforeach()
  list(APPEND QZB_RESOURCE_TARGETS qzb_placeholder_images)
endif()
list(REMOVE_DUPLICATES QZB_RESOURCE_TARGETS)
message(STATUS "QZB: built-in images from ${QZB_IMAGE_SOURCE}")
