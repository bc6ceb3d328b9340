#pragma once
// The ways from the main screen to a customer's history and to the figures
// of a period: "カルテ" of the customer index and of the search's context
// menu, and the "集計" button, which the main screen puts in its button bar.
#include "model/Session.h"

class QPushButton;
class QWidget;

namespace tqen {

class CustomerIndexTab;
class SearchTab;

QPushButton *linkOverview(QWidget *owner, model::Session &session, CustomerIndexTab *index, SearchTab *search);

}  // namespace tqen
