// SPDX-License-Identifier: MIT
#pragma once
// The logic of the save-location folder tree, without widgets.
//
// The tree always holds one chain of opened folders from the root down (each the only
// child of the one before), and below the last of them its subfolders: the listing. So
// the whole tree is the chain's names and one sorted list of names, and a node is its
// depth on the chain or its place in the listing. Opening a node follows three cases:
//   1. a listed subfolder: its siblings go, it joins the chain, its subfolders are listed;
//   2. the last node of the chain while its listing is not empty: nothing changes;
//   3. a node higher up the chain, or the last one with an empty listing: everything
//      below it goes, it becomes the value, its subfolders are listed again.
// Each opening lists one folder once. Paths are native POSIX paths (the file system's
// bytes): the root node is "/", its child "home" is "/home".

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::ui {

class FolderTreeModel {
 public:
  // Lists the names of the subfolders of a native path; an unreadable folder gives none.
  using Lister = std::function<std::vector<std::string>(const std::string& path)>;

  // A node: depth on the chain (0 is the root), or, with entry >= 0, an entry of the
  // listing (its depth is then the chain's length).
  struct Node {
    std::size_t depth = 0;
    std::ptrdiff_t entry = -1;
    bool listed() const { return entry >= 0; }
    friend bool operator==(const Node&, const Node&) = default;
  };

  explicit FolderTreeModel(Lister lister = ListSubfolders);

  // Rebuilds the chain for path and lists the last node's subfolders. Fires nothing.
  void SetPath(std::string_view path);
  // Opens a node; true when the value changed (cases 1 and 3), which the tree reports.
  bool Open(Node node);

  const std::string& value() const { return value_; }
  const std::vector<std::string>& chain() const { return chain_; }
  const std::vector<std::string>& listing() const { return listing_; }
  bool empty() const { return chain_.empty(); }
  // The last node of the chain: the one set or opened last.
  Node last() const { return {chain_.empty() ? 0 : chain_.size() - 1}; }
  bool Valid(Node node) const;
  const std::string& NameOf(Node node) const;
  std::string PathOf(Node node) const;

  // Subfolders of path (symbolic links to folders included), "." and ".." left out.
  static std::vector<std::string> ListSubfolders(const std::string& path);
  // The tree's order: ASCII letters without case, then by bytes, so that the order is
  // total; one pass over each pair of names.
  static bool Before(std::string_view a, std::string_view b);

 private:
  void ListLast();

  Lister lister_;
  std::vector<std::string> chain_;
  std::vector<std::string> listing_;
  std::string value_;
};

}  // namespace morvane::ui
