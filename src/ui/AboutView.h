#pragma once

// The About window: the drawn icon, name and version, tagline, credit with a
// link to the project's site, a short feature list and the rights notice.
// It shows information only and changes nothing.

#include <QAbstractButton>
#include <QString>
#include <QWidget>

class QLabel;

// A borderless link: a globe glyph and the site's domain in the link colour.
// Clicking opens `address` in the desktop's browser.
class LinkButton : public QAbstractButton
{
    Q_OBJECT
public:
    LinkButton(const QString &label, const QString &address, QWidget *parent = nullptr);
    QString address() const { return m_address; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // Opens `address` when it is a complete absolute address (scheme and
    // host); anything else does nothing. Returns whether it was handed on.
    static bool openAddress(const QString &address);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QString m_address;
    bool m_hovered = false;
};

class AboutView : public QWidget
{
    Q_OBJECT
public:
    // The project's site and its label.
    static inline const QString webSite = QStringLiteral("https://tovani.org");
    static inline const QString webSiteLabel = QStringLiteral("tovani.org");

    // Uses the version and build number the build system recorded.
    explicit AboutView(QWidget *parent = nullptr);
    AboutView(const QString &version, const QString &buildNumber, QWidget *parent = nullptr);

    // "Version <version> (<build>)"; an empty version reads "1.0", an empty
    // build number "1".
    static QString versionText(const QString &version, const QString &buildNumber);

    QString appVersion() const { return m_appVersion; }
    QString buildNumber() const { return m_buildNumber; }
    LinkButton *linkButton() const { return m_link; }
    // The rectangle (in this widget) the icon is drawn in, 100 x 100.
    QRect iconRect() const;

    QSize sizeHint() const override { return {340, 480}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void build();

    QString m_appVersion;
    QString m_buildNumber;
    QWidget *m_iconSpace = nullptr;
    LinkButton *m_link = nullptr;
};

// The window around the view: 340 x 480, fixed, titled "About Tovani". Closing
// only hides it; Escape closes it.
class AboutWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AboutWindow(QWidget *parent = nullptr);
    AboutView *view() const { return m_view; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    AboutView *m_view;
};

// Builds the About window (not shown yet).
QWidget *createAboutWindow();
