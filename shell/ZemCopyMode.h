#pragma once
// What dropping shell objects onto the tree or the file list does with them;
// one enumeration for both controls.

namespace shell {

enum TZemCopyMode {
    cmDefault,
    cmCopy,
    cmMove,
    cmLink
};

}  // namespace shell
