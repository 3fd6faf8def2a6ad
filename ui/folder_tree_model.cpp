// SPDX-License-Identifier: MIT
#include "ui/folder_tree_model.h"

#include <algorithm>

#include "core/folder_listing.h"

namespace morvane::ui {
namespace {

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> parts;
  if (path.empty()) return parts;
  if (path.front() == '/') parts.emplace_back("/");
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

unsigned char Folded(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + 32) : byte;
}

}  // namespace

FolderTreeModel::FolderTreeModel(Lister lister) : lister_(std::move(lister)) {}

bool FolderTreeModel::Before(std::string_view a, std::string_view b) {
  // The first difference without case decides; names equal without case fall back to
  // their first difference in bytes.
  int byBytes = 0;
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = Folded(a[i]);
    const unsigned char y = Folded(b[i]);
    if (x != y) return x < y;
    if (byBytes == 0 && a[i] != b[i]) {
      byBytes = static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
    }
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return byBytes < 0;
}

std::vector<std::string> FolderTreeModel::ListSubfolders(const std::string& path) {
  std::vector<std::string> names;
  for (FolderEntry& entry : ListFolder(Path(path), /*foldersOnly=*/true)) {
    names.push_back(entry.name.native());
  }
  return names;
}

bool FolderTreeModel::Valid(Node node) const {
  if (node.listed()) {
    return node.depth == chain_.size() && static_cast<std::size_t>(node.entry) < listing_.size();
  }
  return node.depth < chain_.size();
}

const std::string& FolderTreeModel::NameOf(Node node) const {
  return node.listed() ? listing_[static_cast<std::size_t>(node.entry)] : chain_[node.depth];
}

std::string FolderTreeModel::PathOf(Node node) const {
  std::string path;
  const auto add = [&path](const std::string& name) {
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
  };
  const std::size_t parts = node.listed() ? chain_.size() : node.depth + 1;
  for (std::size_t i = 0; i < parts && i < chain_.size(); ++i) add(chain_[i]);
  if (node.listed()) add(NameOf(node));
  return path;
}

void FolderTreeModel::ListLast() {
  listing_ = lister_(value_);
  std::erase_if(listing_, [](const std::string& name) {
    return name.empty() || name == "." || name == "..";
  });
  std::sort(listing_.begin(), listing_.end(),
            [](const std::string& a, const std::string& b) { return Before(a, b); });
  listing_.erase(std::unique(listing_.begin(), listing_.end()), listing_.end());
}

void FolderTreeModel::SetPath(std::string_view path) {
  chain_ = SplitPath(path);
  listing_.clear();
  value_.clear();
  if (chain_.empty()) return;
  value_ = PathOf(last());
  ListLast();
}

bool FolderTreeModel::Open(Node node) {
  if (!Valid(node)) return false;
  if (node.listed()) {
    chain_.push_back(std::move(listing_[static_cast<std::size_t>(node.entry)]));
  } else if (node.depth + 1 == chain_.size() && !listing_.empty()) {
    return false;  // its subfolders are listed already
  } else {
    chain_.resize(node.depth + 1);
  }
  listing_.clear();
  value_ = PathOf(last());
  ListLast();
  return true;
}

}  // namespace morvane::ui
