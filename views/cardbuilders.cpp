// The controls the movie and person cards are built from, and their collapsible boxes.
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>

#include "catalog/image.h"
#include "catalog/textutils.h"
#include "views/cardframe.h"
#include "views/cardframe_p.h"
#include "views/cardwidgets_p.h"
#include "views/imageqt.h"
#include "views/linktext.h"
#include "views/starpanel.h"

using namespace Qt::StringLiterals;
using namespace CardFrame;

QLabel *
TCardFrame::NewLabel(const QString &name, int textNumber, const QString &fallback, TBlock block)
{
    auto *label = new QLabel(m_body);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->hide();
    AddToBlock(label, block);
    if (textNumber > 0)
        SetCaption(label, textNumber, fallback);
    else
        label->setText(fallback);
    return label;
}

QLabel *
TCardFrame::NewCaption(const QString &name, int textNumber, const QString &fallback, TBlock block)
{
    QLabel *label = NewLabel(name, textNumber, fallback, block);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    return label;
}

QLineEdit *TCardFrame::NewEdit(const QString &name, int searchField, TBlock block)
{
    auto *edit = new QLineEdit(m_body);
    edit->setObjectName(name);
    if (searchField >= 0)
        edit->setProperty(SearchFieldProperty, searchField);
    edit->hide();
    AddToBlock(edit, block);
    InstallMenu(edit);
    m_edits.append(edit);
    return edit;
}

QPlainTextEdit *TCardFrame::NewMemo(const QString &name, int searchField, TBlock block)
{
    auto *memo = new QPlainTextEdit(m_body);
    memo->setObjectName(name);
    if (searchField >= 0)
        memo->setProperty(SearchFieldProperty, searchField);
    memo->document()->setDocumentMargin(MemoMargin);
    // Memos are as high as their text: the card scrolls, not the memo.
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setTabChangesFocus(true);
    memo->viewport()->installEventFilter(this);
    memo->hide();
    AddToBlock(memo, block);
    InstallMenu(memo);
    connect(memo, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_filling && m_mode == ModeEdit)
            ScheduleRelayout();
    });
    m_memos.append(memo);
    return memo;
}

TCardCombo *TCardFrame::NewCombo(const QString &name, const QStringList &choices, TBlock block)
{
    auto *combo = new TCardCombo(m_body);
    combo->setObjectName(name);
    combo->addItems(choices);
    combo->setEditText({});
    combo->hide();
    AddToBlock(combo, block);
    InstallMenu(combo->lineEdit());
    m_combos.append(combo);
    return combo;
}

TLinkText *TCardFrame::NewBox(const QString &name,
                              int searchField,
                              const QString &linkTag,
                              const QString &defaultAttribute,
                              TBlock block,
                              bool followLinks)
{
    auto *box = new TLinkText(m_body);
    box->setObjectName(name);
    if (searchField >= 0)
        box->setProperty(SearchFieldProperty, searchField);
    box->setProperty(FollowLinksProperty, followLinks);
    if (!linkTag.isEmpty())
        box->SetLinkTag(linkTag);
    box->SetDefaultAttribute(defaultAttribute);
    box->hide();
    AddToBlock(box, block);
    InstallMenu(box);
    connect(box, &TLinkText::LinkClicked, this, [this, box](const TLink &link) {
        OnLinkClicked(box, link);
    });
    return box;
}

QToolButton *TCardFrame::NewButton(const QString &name, const QString &text, TBlock block)
{
    auto *button = new QToolButton(m_body);
    button->setObjectName(name);
    button->setText(text);
    button->setFocusPolicy(Qt::NoFocus);
    button->hide();
    AddToBlock(button, block);
    return button;
}

TStarPanel *
TCardFrame::NewStars(const QString &name, QLineEdit *edit, std::function<void(double)> store)
{
    auto *stars = new TStarPanel(m_body);
    stars->setObjectName(name);
    stars->hide();
    AddToBlock(stars, TBlock::Main);
    connect(stars, &TStarPanel::Hovered, edit, [edit](double value) {
        edit->setText(RatingText(value));
    });
    connect(stars, &TStarPanel::HoverEnded, edit, [edit](double stored) {
        edit->setText(RatingText(stored));
    });
    connect(stars, &TStarPanel::Clicked, this, [this, edit, store](double value) {
        if (m_mode != ModeEdit || m_readOnly || !m_record)
            return;
        edit->setText(RatingText(value));
        store(value);
        emit RatingStored();
    });
    connect(edit, &QLineEdit::textEdited, stars, [stars](const QString &text) {
        stars->SetValue(ParseNumber(text));
    });
    m_stars.push_back({stars, edit});
    return stars;
}

void TCardFrame::MakeCollapsible(QWidget *box, const QString &buttonName)
{
    QToolButton *button = NewButton(buttonName, u"+"_s, TBlock::Main);
    button->setFixedSize(MoreButtonSize, MoreButtonSize);
    connect(button, &QToolButton::clicked, this, [this, box] { ToggleBox(box); });
    m_boxes.push_back({box, button, false});
}

QToolButton *TCardFrame::MoreButton(const QWidget *box) const
{
    for (const TCollapsible &entry : m_boxes) {
        if (entry.Box == box)
            return entry.Button;
    }
    return nullptr;
}

void TCardFrame::ExpandAll()
{
    for (TCollapsible &box : m_boxes) {
        box.Expanded = true;
        box.Button->setText(u"-"_s);
    }
}

void TCardFrame::ToggleBox(QWidget *box)
{
    for (const TCollapsible &entry : m_boxes) {
        if (entry.Box == box) {
            SetExpanded(box->objectName(), !entry.Expanded);
            return;
        }
    }
}

TCardFrame::TCollapsible *TCardFrame::FindBox(const QString &name)
{
    for (TCollapsible &box : m_boxes) {
        if (box.Box->objectName() == name)
            return &box;
    }
    return nullptr;
}

const TCardFrame::TCollapsible *TCardFrame::FindBox(const QString &name) const
{
    return const_cast<TCardFrame *>(this)->FindBox(name);
}

QListWidget *TCardFrame::NewPicker(const QString &name, std::function<void(const QString &)> write)
{
    auto *list = new QListWidget(m_body);
    list->setObjectName(name);
    list->hide();
    list->installEventFilter(this);
    m_pickers.emplace_back(list, std::move(write));
    return list;
}

void TCardFrame::OpenPicker(QListWidget *list,
                            const QStringList &choices,
                            const QString &current,
                            QRect geometry)
{
    if (choices.isEmpty() || m_mode != ModeEdit)
        return;
    ClosePicker(true);
    const QStringList chosen = SplitList(current);
    list->clear();
    for (const QString &choice : choices) {
        auto *item = new QListWidgetItem(choice, list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(chosen.contains(choice, Qt::CaseInsensitive) ? Qt::Checked
                                                                         : Qt::Unchecked);
    }
    list->setGeometry(geometry);
    list->show();
    list->raise();
    list->setFocus(Qt::OtherFocusReason);
    m_openPicker = list;
}

void TCardFrame::ClosePicker(bool write)
{
    QListWidget *list = m_openPicker;
    if (!list)
        return;
    // Cleared first: hiding the list moves the focus, which would close it again.
    m_openPicker = nullptr;
    if (write) {
        QStringList checked;
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->checkState() == Qt::Checked)
                checked.append(list->item(i)->text());
        }
        for (const auto &[picker, writer] : m_pickers) {
            if (picker == list)
                writer(checked.join(u", "_s));
        }
    }
    list->hide();
}

TPicturePanel *TCardFrame::NewPicture(const QString &name)
{
    auto *panel = new TPicturePanel(m_body);
    panel->setObjectName(name);
    panel->hide();
    AddToBlock(panel, TBlock::Main);
    m_panels.append(panel);
    return panel;
}

void TCardFrame::SetPicture(TPicturePanel *panel, const TImage &image)
{
    panel->SetImage(ToQImage(image));
}
TCardFrame::TMemoBlock TCardFrame::NewMemoBlock(QLabel *caption,
                                                const TMemoNames &names,
                                                const TMemoLinks &links,
                                                TBlock block)
{
    TMemoBlock made{caption, NewMemo(names.Memo, links.MemoField, block), nullptr};
    made.Box = NewBox(
        names.Box, links.BoxField, links.LinkTag, links.DefaultAttribute, block, links.Follow);
    MakeCollapsible(made.Box, names.More);
    return made;
}

void TCardFrame::SetBlockText(const TMemoBlock &block, const QString &text)
{
    SetMemoText(block.Memo, text);
    block.Box->SetText(text);
}

void TCardFrame::ShowMemoBlock(const TMemoBlock &block, bool memoShown, int item)
{
    SetVisible(block.Memo, memoShown);
    SetVisible(block.Box,
               m_mode == ModeView && !block.Memo->toPlainText().isEmpty() && ItemOn(item));
}
