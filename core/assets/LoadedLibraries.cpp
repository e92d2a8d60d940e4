#include "core/assets/LoadedLibraries.h"

#include <dlfcn.h>
#include <link.h>
#include <string>
#include <vector>

void keepLoadedLibrariesMapped()
{
    // Names first: the loader's list is locked while it is walked.
    std::vector<std::string> names;
    dl_iterate_phdr(
        [](dl_phdr_info *info, std::size_t, void *found) {
            if (info->dlpi_name && info->dlpi_name[0] != '\0')
                static_cast<std::vector<std::string> *>(found)->emplace_back(info->dlpi_name);
            return 0;
        },
        &names);
    // The handles are never closed: holding them is the point.
    for (const std::string &name : names)
        dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}
