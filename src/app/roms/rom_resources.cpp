#include "rom_resources.h"

#include <cstdint>

#include "host/platform/platform.h"
#include "resource_ids.inc"

#define QZB_DECLARE(id) extern "C" const uint8_t qzb_resource_##id##_start[], qzb_resource_##id##_end[];
QZB_RESOURCES(QZB_DECLARE)
#undef QZB_DECLARE

void rom_resources_register() {
#define QZB_REGISTER(id)                                                                                        \
    platform_register_resource(id, qzb_resource_##id##_start,                                                   \
                               static_cast<size_t>(qzb_resource_##id##_end - qzb_resource_##id##_start));
    QZB_RESOURCES(QZB_REGISTER)
#undef QZB_REGISTER
}
