#include "listing/file_list_export.h"

namespace filarion::listing {

void MakeFileList(const FileListRequest& request, engine::CommandServices& services) {
    // Not built yet.
    (void)request;
    (void)services;
}

} // namespace filarion::listing
