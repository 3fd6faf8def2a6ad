#include "ui/folder_tree_model.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace morvane::ui {
namespace {

// The tree's sorted insertion: case-insensitive (ASCII), then by bytes so that the order
// is total and the same on every run.
bool AlphabeticalLess(const std::string& a, const std::string& b) {
  const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
  const bool less = std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) < lower(y); });
  const bool greater = std::lexicographical_compare(
      b.begin(), b.end(), a.begin(), a.end(), [&](char x, char y) { return lower(x) < lower(y); });
  return less || (!greater && a < b);
}

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

}  // namespace

FolderTreeModel::FolderTreeModel(Lister lister) : lister_(std::move(lister)) {}

std::vector<std::string> FolderTreeModel::ListSubfolders(const std::string& path) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(path, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    std::string name = it->path().filename().string();
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  return names;
}

std::string FolderTreeModel::PathOf(const FolderNode* node) const {
  std::vector<const FolderNode*> chain;
  for (; node != nullptr; node = node->parent) chain.push_back(node);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const std::string& name = (*it)->name;
    if (!path.empty() && path.back() != '/' && name != "/") path += '/';
    path += name;
  }
  return path;
}

void FolderTreeModel::ListUnder(FolderNode* node) {
  std::vector<std::string> names = lister_(PathOf(node));
  std::sort(names.begin(), names.end(), AlphabeticalLess);
  names.erase(std::unique(names.begin(), names.end()), names.end());
  for (std::string& name : names) {
    if (name == "." || name == ".." || name.empty()) continue;
    auto child = std::make_unique<FolderNode>();
    child->name = std::move(name);
    child->parent = node;
    node->children.push_back(std::move(child));
  }
}

void FolderTreeModel::SetPath(std::string_view path) {
  root_.reset();
  selected_ = nullptr;
  FolderNode* last = nullptr;
  for (std::string& part : SplitPath(path)) {
    auto node = std::make_unique<FolderNode>();
    node->name = std::move(part);
    node->opened = true;
    node->expanded = true;
    node->parent = last;
    FolderNode* raw = node.get();
    if (last == nullptr) {
      root_ = std::move(node);
    } else {
      last->children.push_back(std::move(node));
    }
    last = raw;
  }
  if (last == nullptr) {
    value_.clear();
    return;
  }
  selected_ = last;
  value_ = PathOf(last);
  ListUnder(last);
}

bool FolderTreeModel::Open(FolderNode* node) {
  if (node == nullptr) return false;
  selected_ = node;
  if (node->expanded && !node->children.empty() && !node->children.front()->opened) {
    return false;  // its subfolders are listed already
  }
  if (!node->expanded) {
    node->opened = true;
    if (FolderNode* parent = node->parent) {
      std::unique_ptr<FolderNode> kept;
      for (auto& sibling : parent->children) {
        if (sibling.get() == node) kept = std::move(sibling);
      }
      parent->children.clear();
      parent->children.push_back(std::move(kept));
    }
  }
  node->children.clear();
  value_ = PathOf(node);
  ListUnder(node);
  node->expanded = true;
  return true;
}

}  // namespace morvane::ui
