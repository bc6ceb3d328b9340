#pragma once
// A date box: holds one day or Null, shows it in its display format, takes a
// date typed with the keyboard (in its input format or any common spelling)
// and offers a drop-down month calendar whose caption is written in the
// month format.
#include <QDate>
#include <QVariant>
#include <QWidget>

class QLineEdit;
class QToolButton;
class QCalendarWidget;
class QLabel;

namespace tqen::forms {

class DateBox : public QWidget {
    Q_OBJECT
public:
    explicit DateBox(const QString &name, QWidget *parent = nullptr);

    // Null when the box holds no date, else a QDate.
    QVariant Value() const;
    // Null, a QDate, the text "yyyymmdd" or the number yyyymmdd; anything
    // that is no date empties the box.
    void setValue(const QVariant &value);
    QDate date() const { return date_; }

    // The date as displayed.
    QString Text() const;

    void setInputFormat(const QString &format);
    void setDisplayFormat(const QString &format);
    void setMonthFormat(const QString &format);
    QString inputFormat() const { return inputFormat_; }
    QString displayFormat() const { return displayFormat_; }
    QString monthFormat() const { return monthFormat_; }

    void setWidthTwips(int twips);
    void setLeftTwips(int twips);
    int widthTwips() const;
    int leftTwips() const;

    QLineEdit *editor() const { return edit_; }
    // Opens the drop-down calendar (also Alt+Down, F4 and the button).
    void showCalendar();
    QCalendarWidget *calendar();
    QString calendarCaption() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void commitTyped();
    void refresh();
    void setDateInternal(const QDate &d);
    void buildPopup();

    QLineEdit *edit_;
    QToolButton *drop_;
    QWidget *popup_ = nullptr;        // the drop-down, made when first opened
    QLabel *caption_ = nullptr;
    QCalendarWidget *calendar_ = nullptr;
    QDate date_;
    QString inputFormat_ = QStringLiteral("yyyy/mm/dd");
    QString displayFormat_ = QStringLiteral("yyyy/mm/dd");
    QString monthFormat_ = QStringLiteral("yyyy年mm月");
};

}  // namespace tqen::forms
