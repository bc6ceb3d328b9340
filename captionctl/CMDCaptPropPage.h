#pragma once
// The control's own property page "全般": the effect, style, alignment,
// position and pointer lists, caption and tooltip, the check boxes, the
// length edits, and the buttons that save or reset the defaults profile and
// show the About box. Every page control carries its dialog id as the object
// name "ctl<id>".
#include "platform/com/Control.h"

#include <QHash>
#include <QSet>
#include <QVariant>
#include <QWidget>


namespace tqen::captionctl {

class CMDCaptPropPage : public QWidget, public com::PropertyPage {
    Q_OBJECT
public:
    explicit CMDCaptPropPage(QWidget *parent = nullptr);
    ~CMDCaptPropPage() override;

    // PropertyPage
    QWidget *widget() override { return this; }
    QString title() const override;
    void setObjects(const QList<com::Dispatch *> &objects) override;
    void activate() override;
    bool apply() override;
    bool isDirty() const override { return m_dirty; }
    // "Customize ZU Derarari's properties", the library's help file, topic 74001.
    com::PageHelp help() const override;
    void release() override { delete this; }

    // The page control with that dialog id.
    QWidget *control(int id) const { return m_controls.value(id); }
    // Buttons "保存", "リセット", "製品情報".
    void saveDefaults();
    void resetDefaults();
    // A page member by property name (after reading the controls).
    QVariant member(const QString &name) const { return m_members.value(name); }
    bool combosFilled() const { return m_combosFilled; }

protected:
    void showEvent(QShowEvent *) override;

private:
    void build();
    void fillCombos();
    void membersToControls(const QList<int> &ids = {});
    void controlsToMembers();
    void markChanged(int id);

    QList<com::Dispatch *> m_objects;
    QHash<int, QWidget *> m_controls;
    QHash<QString, QVariant> m_members;
    QSet<int> m_changed;
    bool m_dirty = false;
    bool m_combosFilled = false;
    bool m_loading = false;
};

}  // namespace tqen::captionctl
