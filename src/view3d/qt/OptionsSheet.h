#pragma once
// The "Options" sheet of the views: their pages as tabs (each titled by its window title), OK that
// applies and closes, Cancel, and Apply. Made for the caller, not shown: the caller runs it modally.
#include <functional>
#include <memory>
#include <vector>

class QDialog;
class QWidget;

namespace gl {

// The pages are made by `pages` with the sheet's tab widget as their parent. `apply` runs on OK and on
// Apply, `cancel` (when given) on Cancel.
std::unique_ptr<QDialog> MakeOptionsSheet(QWidget* owner,
                                          const std::function<std::vector<QWidget*>(QWidget*)>& pages,
                                          std::function<void()> apply, std::function<void()> cancel = {});

} // namespace gl
