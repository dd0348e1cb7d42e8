#include "crypt/page_state.h"

#include "base/lang_keys.h"
#include "base/tabs.h"

namespace quenzel {

CryptPageState FilePageState(FilePageIndex, keys::FilePageInfo);
CryptPageState FolderPageState(FolderPageIndex, keys::FolderPageInfo);

} // namespace quenzel
