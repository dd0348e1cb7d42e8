#include "crypt/page_state.h"

#include "base/lang_keys.h"

namespace quenzel {

CryptPageState FilePageState(keys::FilePageInfo);
CryptPageState FolderPageState(keys::FolderPageInfo);

} // namespace quenzel
