#pragma once
// The language help window: a black panel of twelve topics and a black text
// area below it that shows the topic last clicked. It stands beside the main
// window and follows it once a second; a link at the top opens the About
// window.

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class QLabel;

namespace Ui {
class THelpForm;
}

namespace veltra {

class THelpForm : public QWidget {
    Q_OBJECT

  public:
    // `mainWindow` is the window to stand beside; it may be destroyed first,
    // after which the window stays where it is. `parent` only owns this
    // window (a dialog-framed top-level window in either case).
    explicit THelpForm(QWidget* mainWindow, QWidget* parent = nullptr);
    ~THelpForm() override;

  public slots:
    // Topic labels: each fills the text area with its topic.
    void Label2Click();
    void Label3Click();
    void Label4Click();
    void Label5Click();
    void Label6Click();
    void Label7Click();
    void Label8Click();
    void Label9Click();
    void Label10Click();
    void Label11Click();
    void Label12Click();
    void Label13Click();

    // Hover over a topic label: that label turns red and underlined.
    void Label2MouseMove(QLabel* sender);
    // Pointer over the panel's background or the text area: every topic
    // label turns plain yellow again.
    void Panel1MouseMove();
    // Opens a new About window modally and destroys it once it is closed.
    void Label1Click();
    // Docks the window beside the main window.
    void Timer1Timer();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void showTopic(const QLabel* label);
    void setTopicLook(QLabel* label, bool highlighted);
    QList<QLabel*> topicLabels() const;

    std::unique_ptr<Ui::THelpForm> ui;
    QPointer<QWidget> mainWindow_;
    QTimer Timer1;
};

} // namespace veltra
