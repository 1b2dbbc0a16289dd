#pragma once

// The About window: the drawn icon, name and version, tagline, credit, a
// short feature list and the rights notice. It shows information only and
// changes nothing.

#include <QString>
#include <QWidget>

class QLabel;

class AboutView : public QWidget
{
    Q_OBJECT
public:
    // Uses the version and build number the build system recorded.
    explicit AboutView(QWidget *parent = nullptr);
    AboutView(const QString &version, const QString &buildNumber, QWidget *parent = nullptr);

    // "Version <version> (<build>)"; an empty version reads "1.0", an empty
    // build number "1".
    static QString versionText(const QString &version, const QString &buildNumber);

    QString appVersion() const { return m_appVersion; }
    QString buildNumber() const { return m_buildNumber; }
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
};

// The window around the view: 340 x 480 (more when large text needs it),
// fixed, titled "About Tovani". Closing
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
