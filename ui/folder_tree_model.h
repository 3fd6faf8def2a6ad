#pragma once
// The logic of the save-location folder tree, without widgets.
//
// The tree always holds one chain of opened folders from the root down, and below the
// last opened folder its subfolders. Opening a node follows three cases:
//   1. a listed subfolder (not yet opened): its siblings go, it becomes the value, its
//      subfolders are listed under it;
//   2. the node whose subfolders are listed right now: nothing changes;
//   3. a node higher up the chain, or one without children: everything below it goes,
//      it becomes the value, its subfolders are listed again.
// Paths are native POSIX paths: the root node is "/", its child "home" is "/home".

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::ui {

struct FolderNode {
  std::string name;     // "/" for the root, else one path component
  bool opened = false;  // shown with the opened-folder image
  bool expanded = false;
  FolderNode* parent = nullptr;
  std::vector<std::unique_ptr<FolderNode>> children;
};

class FolderTreeModel {
 public:
  // Lists the names of the subfolders of a native path; an unreadable folder gives none.
  using Lister = std::function<std::vector<std::string>(const std::string& path)>;

  explicit FolderTreeModel(Lister lister = ListSubfolders);

  // Rebuilds the chain for path and lists the last node's subfolders. Fires nothing.
  void SetPath(std::string_view path);
  // Opens a node; true when the value changed (cases 1 and 3), which the tree reports.
  bool Open(FolderNode* node);

  const std::string& value() const { return value_; }
  FolderNode* root() const { return root_.get(); }
  FolderNode* selected() const { return selected_; }
  std::string PathOf(const FolderNode* node) const;

  // Subfolders of path (symbolic links to folders included), "." and ".." left out.
  static std::vector<std::string> ListSubfolders(const std::string& path);

 private:
  void ListUnder(FolderNode* node);

  Lister lister_;
  std::unique_ptr<FolderNode> root_;
  FolderNode* selected_ = nullptr;
  std::string value_;
};

}  // namespace morvane::ui
