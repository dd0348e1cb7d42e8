#include "crypt/page_state.h"

#include "base/lang_keys.h"
#include "base/tabs.h"
#include "crypt/file_page_ids.h"
#include "crypt/folder_page_ids.h"

namespace quenzel {

namespace {
constexpr int FilePageWorkControls[] = {IDC_FILE_ENCRYPT, IDC_FILE_DECRYPT, IDC_FILE_CHOOSE, IDC_FILE_SOURCE};
constexpr int FolderPageWorkControls[] = {IDC_FOLDER_ENCRYPT, IDC_FOLDER_DECRYPT, IDC_FOLDER_GATHER,
                                          IDC_FOLDER_SOURCE};
} // namespace

CryptPageState FilePageState(FilePageIndex, keys::FilePageInfo, FilePageWorkControls);
CryptPageState FolderPageState(FolderPageIndex, keys::FolderPageInfo, FolderPageWorkControls);

} // namespace quenzel
