<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AboutView</name>
    <message>
        <source>Version %1 (%2)</source>
        <translation>Version %1 (%2)</translation>
    </message>
    <message>
        <source>Tovani icon</source>
        <translation>Tovani-Symbol</translation>
    </message>
    <message>
        <source>Tovani</source>
        <translation>Tovani</translation>
    </message>
    <message>
        <source>Speed reading guide for Linux</source>
        <translation>Lesehilfe für schnelles Lesen unter Linux</translation>
    </message>
    <message>
        <source>Developed by</source>
        <translation>Entwickelt von</translation>
    </message>
    <message>
        <source>Tovani contributors</source>
        <translation>den Tovani-Mitwirkenden</translation>
    </message>
    <message>
        <source>Open-source project</source>
        <translation>Open-Source-Projekt</translation>
    </message>
    <message>
        <source>Multiple reading guide styles</source>
        <translation>Mehrere Stile für die Lesehilfe</translation>
    </message>
    <message>
        <source>Customizable colors &amp; opacity</source>
        <translation>Anpassbare Farben und Deckkraft</translation>
    </message>
    <message>
        <source>Global keyboard shortcuts</source>
        <translation>Globale Tastenkürzel</translation>
    </message>
    <message>
        <source>Multi-monitor support</source>
        <translation>Unterstützung mehrerer Bildschirme</translation>
    </message>
    <message>
        <source>© 2026 Tovani contributors · GPL-3.0-or-later</source>
        <translation>© 2026 Tovani-Mitwirkende · GPL-3.0-or-later</translation>
    </message>
</context>
<context>
    <name>AboutWindow</name>
    <message>
        <source>About Tovani</source>
        <translation>Über Tovani</translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Settings not saved: %1</source>
        <translation>Einstellungen nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>Tovani</source>
        <translation>Tovani</translation>
    </message>
    <message>
        <source>Limited in a Wayland session</source>
        <translation>Eingeschränkt in einer Wayland-Sitzung</translation>
    </message>
    <message>
        <source>You can also bind &quot;tovani toggle&quot;, &quot;tovani cycle-style&quot; and the other commands of &quot;tovani --help&quot; to shortcuts in your desktop&apos;s keyboard settings.</source>
        <translation>Sie können „tovani toggle“, „tovani cycle-style“ und die anderen Befehle aus „tovani --help“ auch in den Tastatureinstellungen Ihrer Arbeitsumgebung auf Tastenkürzel legen.</translation>
    </message>
    <message>
        <source>Tovani follows the pointer and answers its keyboard shortcuts only while the pointer is over windows of X11 programs. Over other windows the guide stays where it was.

To use Tovani everywhere, log in with an X11 session (often called &quot;Xorg&quot; on the login screen).</source>
        <translation>Tovani folgt dem Mauszeiger und reagiert auf seine Tastenkürzel nur, solange der Zeiger über Fenstern von X11-Programmen ist. Über anderen Fenstern bleibt die Lesehilfe, wo sie war.

Um Tovani überall zu nutzen, melden Sie sich mit einer X11-Sitzung an (auf dem Anmeldebildschirm oft „Xorg“ genannt).</translation>
    </message>
    <message>
        <source>Tovani runs on Wayland directly, where it cannot see the pointer outside its own windows or take global keyboard shortcuts, and the magnifier cannot show the screen: the guide does not follow the pointer.

Log in with an X11 session (often called &quot;Xorg&quot; on the login screen), or start Tovani with QT_QPA_PLATFORM=xcb to follow the pointer over X11 programs.</source>
        <translation>Tovani läuft direkt unter Wayland. Dort sieht es den Mauszeiger außerhalb seiner eigenen Fenster nicht, kann keine globalen Tastenkürzel belegen, und die Lupe kann den Bildschirm nicht zeigen: Die Lesehilfe folgt dem Zeiger nicht.

Melden Sie sich mit einer X11-Sitzung an (auf dem Anmeldebildschirm oft „Xorg“ genannt), oder starten Sie Tovani mit QT_QPA_PLATFORM=xcb, damit es dem Zeiger über X11-Programmen folgt.</translation>
    </message>
    <message>
        <source>Open Keyboard Settings</source>
        <translation>Tastatureinstellungen öffnen</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Später</translation>
    </message>
    <message>
        <source>No system tray is available: use this window, the shortcuts or the tovani command.</source>
        <translation>Kein Infobereich (System-Tray) verfügbar: Nutzen Sie dieses Fenster, die Tastenkürzel oder den Befehl tovani.</translation>
    </message>
    <message>
        <source>The guide works without the pointer here</source>
        <translation>Die Lesehilfe funktioniert hier ohne Zeiger</translation>
    </message>
    <message>
        <source>This desktop does not tell programs where the pointer is, so the guide cannot follow it. It starts in the middle third of the screen, and you move it a line at a time with the commands &quot;tovani next-line&quot; and &quot;tovani previous-line&quot;.

Bind them, and &quot;tovani toggle&quot;, to keys in your desktop&apos;s settings: in sway, for example, add &quot;bindsym $mod+j exec tovani next-line&quot; to its configuration file.</source>
        <translation>Diese Arbeitsumgebung teilt Programmen nicht mit, wo der Zeiger ist, daher kann die Lesehilfe ihm nicht folgen. Sie beginnt im mittleren Drittel des Bildschirms, und Sie bewegen sie zeilenweise mit den Befehlen „tovani next-line“ und „tovani previous-line“.

Legen Sie diese und „tovani toggle“ in den Einstellungen Ihrer Arbeitsumgebung auf Tasten: In sway fügen Sie zum Beispiel „bindsym $mod+j exec tovani next-line“ in die Konfigurationsdatei ein.</translation>
    </message>
    <message>
        <source>The guide is off</source>
        <translation>Die Lesehilfe ist aus</translation>
    </message>
    <message>
        <source>Switch on Tovani&apos;s GNOME Shell extension?</source>
        <translation>Die GNOME-Shell-Erweiterung von Tovani einschalten?</translation>
    </message>
    <message>
        <source>GNOME Shell shows the guide through it, above every window, and follows the pointer. It is installed for you alone.</source>
        <translation>Über sie zeigt GNOME Shell die Lesehilfe über allen Fenstern an und lässt sie dem Zeiger folgen. Sie wird nur für Sie installiert.</translation>
    </message>
    <message>
        <source>Install</source>
        <translation>Installieren</translation>
    </message>
    <message>
        <source>Not Now</source>
        <translation>Nicht jetzt</translation>
    </message>
    <message>
        <source>The extension could not be installed: %1</source>
        <translation>Die Erweiterung konnte nicht installiert werden: %1</translation>
    </message>
    <message>
        <source>Log out and log in again once</source>
        <translation>Einmal ab- und wieder anmelden</translation>
    </message>
    <message>
        <source>GNOME Shell starts new extensions only at log-in; from then on Tovani&apos;s guide shows and follows the pointer.</source>
        <translation>GNOME Shell startet neue Erweiterungen nur bei der Anmeldung; danach erscheint die Lesehilfe von Tovani und folgt dem Zeiger.</translation>
    </message>
    <message>
        <source>Stopped reading</source>
        <translation>Vorlesen beendet</translation>
    </message>
    <message>
        <source>Reading aloud needs Snap to Text Lines: switch it on in the preferences.</source>
        <translation>Zum Vorlesen muss „An Textzeilen ausrichten“ an sein: Schalten Sie es in den Einstellungen ein.</translation>
    </message>
    <message>
        <source>No text to read here: rest the pointer on a line in an application that reports its text.</source>
        <translation>Hier gibt es keinen Text zum Vorlesen: Lassen Sie den Zeiger auf einer Zeile einer Anwendung ruhen, die ihren Text meldet.</translation>
    </message>
</context>
<context>
    <name>AppSettings</name>
    <message>
        <source>%1 is not a regular file</source>
        <translation>%1 ist keine normale Datei</translation>
    </message>
    <message>
        <source>%1 is read-only</source>
        <translation>%1 ist schreibgeschützt</translation>
    </message>
    <message>
        <source>cannot create the folder %1</source>
        <translation>der Ordner %1 kann nicht angelegt werden</translation>
    </message>
</context>
<context>
    <name>ColorWell</name>
    <message>
        <source>Custom colour</source>
        <translation>Eigene Farbe</translation>
    </message>
    <message>
        <source>Guide Colour</source>
        <translation>Farbe der Lesehilfe</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation>unerwartetes Argument „%1“</translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot;</source>
        <translation>unbekannte Option „%1“</translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>unbekannter Befehl „%1“</translation>
    </message>
    <message>
        <source>&quot;%1&quot; takes no argument</source>
        <translation>„%1“ nimmt kein Argument</translation>
    </message>
    <message>
        <source>&quot;%1&quot; takes one style: %2</source>
        <translation>„%1“ nimmt einen Stil: %2</translation>
    </message>
    <message>
        <source>unknown style &quot;%1&quot;</source>
        <translation>unbekannter Stil „%1“</translation>
    </message>
    <message>
        <source>STYLE</source>
        <translation>STIL</translation>
    </message>
    <message>
        <source>Usage: tovani [COMMAND]

A reading guide that follows the pointer. Without a command, starts Tovani
(or opens the preferences of the copy already running).

Commands, sent to the running copy (which is started first if needed):
%1
Options:
  -h, --help          show this help
  -v, --version       show the version

Exit status: 0 on success, 1 when the running copy could not be reached,
2 for an unknown command or argument, or a change that was not saved.
</source>
        <translation>Aufruf: tovani [BEFEHL]

Eine Lesehilfe, die dem Mauszeiger folgt. Ohne Befehl startet Tovani
(oder öffnet die Einstellungen der bereits laufenden Instanz).

Befehle, an die laufende Instanz gesendet (die bei Bedarf zuerst startet):
%1
Optionen:
  -h, --help          diese Hilfe anzeigen
  -v, --version       die Version anzeigen

Rückgabewert: 0 bei Erfolg, 1 wenn die laufende Instanz nicht erreichbar war,
2 bei unbekanntem Befehl oder Argument oder einer nicht gespeicherten
Änderung.
</translation>
    </message>
</context>
<context>
    <name>CommandRegistry</name>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>unbekannter Befehl „%1“</translation>
    </message>
    <message>
        <source>unknown style &quot;%1&quot;</source>
        <translation>unbekannter Stil „%1“</translation>
    </message>
    <message>
        <source>the change was not saved: %1</source>
        <translation>die Änderung wurde nicht gespeichert: %1</translation>
    </message>
</context>
<context>
    <name>Commands</name>
    <message>
        <source>%1px</source>
        <translation>%1&#xa0;px</translation>
    </message>
    <message>
        <source>switch the reading guide on or off</source>
        <translation>die Lesehilfe ein- oder ausschalten</translation>
    </message>
    <message>
        <source>Toggle guide</source>
        <translation>Lesehilfe ein/aus</translation>
    </message>
    <message>
        <source>Enable Reading Guide</source>
        <translation>Lesehilfe einschalten</translation>
    </message>
    <message>
        <source>Reading Guide Enabled</source>
        <translation>Lesehilfe eingeschaltet</translation>
    </message>
    <message>
        <source>show or hide the crosshair brackets</source>
        <translation>die Fadenkreuz-Klammern ein- oder ausblenden</translation>
    </message>
    <message>
        <source>Crosshair Brackets</source>
        <translation>Fadenkreuz-Klammern</translation>
    </message>
    <message>
        <source>switch the magnifier on or off</source>
        <translation>die Lupe ein- oder ausschalten</translation>
    </message>
    <message>
        <source>Magnifier</source>
        <translation>Lupe</translation>
    </message>
    <message>
        <source>switch to a style: %1</source>
        <translation>zu einem Stil wechseln: %1</translation>
    </message>
    <message>
        <source>Switch style</source>
        <translation>Stil wechseln</translation>
    </message>
    <message>
        <source>Style</source>
        <translation>Stil</translation>
    </message>
    <message>
        <source>switch to the next style</source>
        <translation>zum nächsten Stil wechseln</translation>
    </message>
    <message>
        <source>Cycle styles</source>
        <translation>Stile durchschalten</translation>
    </message>
    <message>
        <source>make the guide 5 points thicker</source>
        <translation>die Lesehilfe 5 Punkt dicker machen</translation>
    </message>
    <message>
        <source>Thicker guide</source>
        <translation>Lesehilfe dicker</translation>
    </message>
    <message>
        <source>make the guide 5 points thinner</source>
        <translation>die Lesehilfe 5 Punkt dünner machen</translation>
    </message>
    <message>
        <source>Thinner guide</source>
        <translation>Lesehilfe dünner</translation>
    </message>
    <message>
        <source>open the preferences window</source>
        <translation>das Einstellungsfenster öffnen</translation>
    </message>
    <message>
        <source>Preferences...</source>
        <translation>Einstellungen …</translation>
    </message>
    <message>
        <source>Launch at Login</source>
        <translation>Bei Anmeldung starten</translation>
    </message>
    <message>
        <source>open the About window</source>
        <translation>das Fenster „Über Tovani“ öffnen</translation>
    </message>
    <message>
        <source>About Tovani</source>
        <translation>Über Tovani</translation>
    </message>
    <message>
        <source>end the running copy</source>
        <translation>die laufende Instanz beenden</translation>
    </message>
    <message>
        <source>Quit Tovani</source>
        <translation>Tovani beenden</translation>
    </message>
    <message>
        <source>%1, %2 or 1-%3</source>
        <translation>%1, %2 oder 1-%3</translation>
    </message>
    <message>
        <source>move the guide to the next line of text</source>
        <translation>die Lesehilfe auf die nächste Textzeile setzen</translation>
    </message>
    <message>
        <source>Next line</source>
        <translation>Nächste Zeile</translation>
    </message>
    <message>
        <source>Next Line</source>
        <translation>Nächste Zeile</translation>
    </message>
    <message>
        <source>move the guide to the previous line of text</source>
        <translation>die Lesehilfe auf die vorige Textzeile setzen</translation>
    </message>
    <message>
        <source>Previous line</source>
        <translation>Vorige Zeile</translation>
    </message>
    <message>
        <source>Previous Line</source>
        <translation>Vorige Zeile</translation>
    </message>
    <message>
        <source>lock the guide in place, or unlock it</source>
        <translation>die Lesehilfe an ihrer Stelle feststellen oder wieder lösen</translation>
    </message>
    <message>
        <source>Lock guide</source>
        <translation>Lesehilfe feststellen</translation>
    </message>
    <message>
        <source>Lock Guide</source>
        <translation>Lesehilfe feststellen</translation>
    </message>
    <message>
        <source>Guide Locked</source>
        <translation>Lesehilfe festgestellt</translation>
    </message>
    <message>
        <source>print how Tovani reaches the desktop: its backend and pointer</source>
        <translation>ausgeben, wie Tovani die Arbeitsumgebung erreicht: Backend und Zeiger</translation>
    </message>
    <message>
        <source>Guide locked</source>
        <translation>Lesehilfe festgestellt</translation>
    </message>
    <message>
        <source>Guide unlocked</source>
        <translation>Lesehilfe gelöst</translation>
    </message>
    <message>
        <source>Reading aloud</source>
        <translation>Vorlesen</translation>
    </message>
    <message>
        <source>Stopped reading</source>
        <translation>Vorlesen beendet</translation>
    </message>
    <message>
        <source>read aloud from the guide&apos;s line on, line after line, or stop</source>
        <translation>ab der Zeile der Lesehilfe Zeile für Zeile vorlesen, oder aufhören</translation>
    </message>
    <message>
        <source>Read aloud</source>
        <translation>Vorlesen</translation>
    </message>
    <message>
        <source>Read Aloud</source>
        <translation>Vorlesen</translation>
    </message>
    <message>
        <source>Stop Reading</source>
        <translation>Vorlesen beenden</translation>
    </message>
</context>
<context>
    <name>LaunchAtLogin</name>
    <message>
        <source>unknown error</source>
        <translation>unbekannter Fehler</translation>
    </message>
    <message>
        <source>Failed to enable launch at login: %1</source>
        <translation>Start bei Anmeldung konnte nicht eingeschaltet werden: %1</translation>
    </message>
    <message>
        <source>Failed to disable launch at login: %1</source>
        <translation>Start bei Anmeldung konnte nicht ausgeschaltet werden: %1</translation>
    </message>
</context>
<context>
    <name>LineStyle</name>
    <message>
        <source>Underline</source>
        <translation>Unterstrich</translation>
    </message>
    <message>
        <source>Highlight Bar</source>
        <translation>Textmarker</translation>
    </message>
    <message>
        <source>Focus Window</source>
        <translation>Fokusfenster</translation>
    </message>
    <message>
        <source>Ruler</source>
        <translation>Lineal</translation>
    </message>
    <message>
        <source>Reading Strip</source>
        <translation>Lesestreifen</translation>
    </message>
</context>
<context>
    <name>MagnifierView</name>
    <message>
        <source>Needs an X11 session</source>
        <translation>Benötigt eine X11-Sitzung</translation>
    </message>
    <message>
        <source>Screen capture unavailable</source>
        <translation>Bildschirmaufnahme nicht verfügbar</translation>
    </message>
    <message>
        <source>Unavailable on Wayland for now</source>
        <translation>Unter Wayland vorerst nicht verfügbar</translation>
    </message>
    <message>
        <source>KWin did not say whether it can magnify the screen</source>
        <translation>KWin hat nicht mitgeteilt, ob es den Bildschirm vergrößern kann</translation>
    </message>
    <message>
        <source>KWin&apos;s magnifier needs KWin to draw with OpenGL, which it does not here</source>
        <translation>Die Lupe von KWin braucht OpenGL zum Zeichnen, das KWin hier nicht verwendet</translation>
    </message>
</context>
<context>
    <name>MagnifierWindow</name>
    <message>
        <source>Tovani Magnifier</source>
        <translation>Tovani-Lupe</translation>
    </message>
</context>
<context>
    <name>Platform</name>
    <message>
        <source>cannot write in %1: %2</source>
        <translation>in %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Tovani Guide</source>
        <translation>Tovani-Lesehilfe</translation>
    </message>
    <message>
        <source>cannot open the X display &quot;%1&quot; (is the X server running, and may this user use it?)</source>
        <translation>die X-Anzeige „%1“ kann nicht geöffnet werden (läuft der X-Server, und darf dieser Benutzer ihn verwenden?)</translation>
    </message>
    <message>
        <source>the program&apos;s path holds a control character such as a line break, which an autostart entry cannot hold; move Tovani to a folder whose path has none</source>
        <translation>der Pfad des Programms enthält ein Steuerzeichen wie einen Zeilenumbruch, das ein Autostart-Eintrag nicht fassen kann; verschieben Sie Tovani in einen Ordner, dessen Pfad keines enthält</translation>
    </message>
    <message>
        <source>the program&apos;s path %1 holds &quot;%2&quot;, from which session launchers cannot start it; move Tovani to a folder whose path has none of % \ &quot; &apos; $ `</source>
        <translation>der Pfad des Programms %1 enthält „%2“, sodass Sitzungsstarter es nicht starten können; verschieben Sie Tovani in einen Ordner, dessen Pfad keines der Zeichen % \ &quot; &apos; $ ` enthält</translation>
    </message>
    <message>
        <source>the location of the program is unknown</source>
        <translation>der Speicherort des Programms ist unbekannt</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 ist kein Ordner</translation>
    </message>
    <message>
        <source>could not create the folder %1</source>
        <translation>der Ordner %1 konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>%1 is a folder</source>
        <translation>%1 ist ein Ordner</translation>
    </message>
    <message>
        <source>could not remove %1: %2</source>
        <translation>%1 konnte nicht entfernt werden: %2</translation>
    </message>
    <message>
        <source>Screen capture on Wayland needs the desktop&apos;s permission, which Tovani cannot ask for yet</source>
        <translation>Bildschirmaufnahmen unter Wayland brauchen die Erlaubnis der Arbeitsumgebung, die Tovani noch nicht erfragen kann</translation>
    </message>
    <message>
        <source>To use a shortcut, bind a key to the command &quot;tovani toggle&quot; (or another command) in System Settings &gt; Shortcuts &gt; Custom Shortcuts.</source>
        <translation>Um ein Tastenkürzel zu nutzen, legen Sie in Systemeinstellungen &gt; Kurzbefehle &gt; Eigene Kurzbefehle eine Taste auf den Befehl „tovani toggle“ (oder einen anderen Befehl).</translation>
    </message>
    <message>
        <source>To use a shortcut, bind a key to the command &quot;tovani toggle&quot; (or another command) in Settings &gt; Keyboard &gt; Keyboard Shortcuts &gt; Custom Shortcuts.</source>
        <translation>Um ein Tastenkürzel zu nutzen, legen Sie in Einstellungen &gt; Tastatur &gt; Tastenkombinationen &gt; Benutzerdefinierte Tastenkombinationen eine Taste auf den Befehl „tovani toggle“ (oder einen anderen Befehl).</translation>
    </message>
    <message>
        <source>To use a shortcut, add a line such as &quot;bindsym Ctrl+Shift+r exec tovani toggle&quot; to sway&apos;s configuration file (~/.config/sway/config).</source>
        <translation>Um ein Tastenkürzel zu nutzen, fügen Sie eine Zeile wie „bindsym Ctrl+Shift+r exec tovani toggle“ in die Konfigurationsdatei von sway (~/.config/sway/config) ein.</translation>
    </message>
    <message>
        <source>To use a shortcut, add a line such as &quot;bind = CTRL SHIFT, R, exec, tovani toggle&quot; to Hyprland&apos;s configuration file (~/.config/hypr/hyprland.conf).</source>
        <translation>Um ein Tastenkürzel zu nutzen, fügen Sie eine Zeile wie „bind = CTRL SHIFT, R, exec, tovani toggle“ in die Konfigurationsdatei von Hyprland (~/.config/hypr/hyprland.conf) ein.</translation>
    </message>
    <message>
        <source>To use a shortcut, bind a key to the command &quot;tovani toggle&quot; (or another command) in your desktop&apos;s keyboard settings or configuration file.</source>
        <translation>Um ein Tastenkürzel zu nutzen, legen Sie in den Tastatureinstellungen oder der Konfigurationsdatei Ihrer Arbeitsumgebung eine Taste auf den Befehl „tovani toggle“ (oder einen anderen Befehl).</translation>
    </message>
    <message>
        <source>GNOME Shell gives no program a picture of the screen without asking each time</source>
        <translation>GNOME Shell gibt keinem Programm ein Bild des Bildschirms, ohne jedes Mal zu fragen</translation>
    </message>
    <message>
        <source>could not write %1</source>
        <translation>%1 konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>the gsettings program is missing</source>
        <translation>das Programm gsettings fehlt</translation>
    </message>
    <message>
        <source>gsettings failed: %1</source>
        <translation>gsettings ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>it speaks version %1 of Tovani&apos;s interface, this Tovani version %2; log out and log in again to load the one installed with Tovani</source>
        <translation>sie spricht Version %1 der Schnittstelle von Tovani, dieses Tovani Version %2; melden Sie sich ab und wieder an, um die mit Tovani installierte zu laden</translation>
    </message>
    <message>
        <source>GNOME Shell does not answer (%1)</source>
        <translation>GNOME Shell antwortet nicht (%1)</translation>
    </message>
    <message>
        <source>it does not support this version of GNOME Shell</source>
        <translation>sie unterstützt diese Version von GNOME Shell nicht</translation>
    </message>
    <message>
        <source>GNOME Shell shows the guide through Tovani&apos;s extension.</source>
        <translation>GNOME Shell zeigt die Lesehilfe über die Erweiterung von Tovani an.</translation>
    </message>
    <message>
        <source>GNOME Shell is starting Tovani&apos;s extension.</source>
        <translation>GNOME Shell startet die Erweiterung von Tovani.</translation>
    </message>
    <message>
        <source>Tovani shows its guide on GNOME through a small extension of GNOME Shell, which is not installed yet.</source>
        <translation>Unter GNOME zeigt Tovani seine Lesehilfe über eine kleine Erweiterung von GNOME Shell an, die noch nicht installiert ist.</translation>
    </message>
    <message>
        <source>Tovani&apos;s GNOME Shell extension is switched off.</source>
        <translation>Die GNOME-Shell-Erweiterung von Tovani ist ausgeschaltet.</translation>
    </message>
    <message>
        <source>Log out and log in again once: GNOME Shell starts Tovani&apos;s extension at log-in.</source>
        <translation>Melden Sie sich einmal ab und wieder an: GNOME Shell startet die Erweiterung von Tovani bei der Anmeldung.</translation>
    </message>
    <message>
        <source>GNOME Shell could not run Tovani&apos;s extension: %1</source>
        <translation>GNOME Shell konnte die Erweiterung von Tovani nicht ausführen: %1</translation>
    </message>
    <message>
        <source>Tovani&apos;s files do not include the extension</source>
        <translation>die Dateien von Tovani enthalten die Erweiterung nicht</translation>
    </message>
    <message>
        <source>GNOME Shell&apos;s list of extensions is unreadable: %1</source>
        <translation>die Liste der Erweiterungen von GNOME Shell ist unlesbar: %1</translation>
    </message>
    <message>
        <source>Extensions are switched off in GNOME&apos;s Extensions app (&quot;Use Extensions&quot;); switch them on to see Tovani&apos;s guide.</source>
        <translation>Erweiterungen sind in der GNOME-App „Erweiterungen“ ausgeschaltet („Erweiterungen verwenden“); schalten Sie sie ein, um die Lesehilfe von Tovani zu sehen.</translation>
    </message>
    <message>
        <source>another program holds its name on the session bus</source>
        <translation>ein anderes Programm hält ihren Namen auf dem Sitzungsbus</translation>
    </message>
    <message>
        <source>Another program holds Tovani&apos;s name on the session bus (%1), so Tovani does not use its GNOME Shell extension; quit that program to see the guide.</source>
        <translation>Ein anderes Programm belegt Tovanis Namen auf dem Sitzungsbus (%1), daher nutzt Tovani seine GNOME-Shell-Erweiterung nicht; beenden Sie dieses Programm, um die Lesehilfe zu sehen.</translation>
    </message>
    <message>
        <source>Line steps, the lock and snapping to text lines need the newer Tovani extension that came with this Tovani: log out and log in again to load it.</source>
        <translation>Zeilenschritte, die Sperre und das Einrasten auf Textzeilen brauchen die neuere Tovani-Erweiterung, die mit diesem Tovani kam: Melden Sie sich ab und wieder an, um sie zu laden.</translation>
    </message>
</context>
<context>
    <name>PreferencesView</name>
    <message>
        <source>Tovani</source>
        <translation>Tovani</translation>
    </message>
    <message>
        <source>Speed reading guide for Linux</source>
        <translation>Lesehilfe für schnelles Lesen unter Linux</translation>
    </message>
    <message>
        <source>to toggle</source>
        <translation>zum Umschalten</translation>
    </message>
    <message>
        <source>Style</source>
        <translation>Stil</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>%1 - %2</source>
        <extracomment>A swatch&apos;s tooltip: the colour&apos;s name and what it suits</extracomment>
        <translation>%1 – %2</translation>
    </message>
    <message>
        <source>Appearance</source>
        <translation>Darstellung</translation>
    </message>
    <message>
        <source>Opacity</source>
        <translation>Deckkraft</translation>
    </message>
    <message>
        <source>Thickness</source>
        <translation>Dicke</translation>
    </message>
    <message>
        <source>Reading line height</source>
        <translation>Höhe der Lesezeile</translation>
    </message>
    <message>
        <source>Tip: Increase thickness for thicker colored bands</source>
        <translation>Tipp: Mit größerer Dicke werden die Farbbänder breiter</translation>
    </message>
    <message>
        <source>Vertical Brackets</source>
        <translation>Vertikale Klammern</translation>
    </message>
    <message>
        <source>Crosshair-style reading zone</source>
        <translation>Lesebereich wie im Fadenkreuz</translation>
    </message>
    <message>
        <source>Bracket width</source>
        <translation>Klammerbreite</translation>
    </message>
    <message>
        <source>Magnifier</source>
        <translation>Lupe</translation>
    </message>
    <message>
        <source>Zoom on text around cursor</source>
        <translation>Vergrößert den Text um den Zeiger</translation>
    </message>
    <message>
        <source>Zoom level</source>
        <translation>Vergrößerung</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Launch at Login</source>
        <translation>Bei Anmeldung starten</translation>
    </message>
    <message>
        <source>Start Tovani when you log in</source>
        <translation>Tovani bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Global Keyboard Shortcuts</source>
        <translation>Globale Tastenkürzel</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Reset Settings</source>
        <translation>Einstellungen zurücksetzen</translation>
    </message>
    <message>
        <source>Restore all settings to defaults</source>
        <translation>Alle Standardwerte wiederherstellen</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Reset to Defaults?</source>
        <translation>Auf Standardwerte zurücksetzen?</translation>
    </message>
    <message>
        <source>This will restore all settings to their default values.</source>
        <translation>Alle Einstellungen werden auf ihre Standardwerte zurückgesetzt.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>%1, %2, %3, %4</source>
        <extracomment>The global shortcuts, as in &quot;Ctrl+1-5, Ctrl+Shift+R, Ctrl+Shift+T, Ctrl+Shift++/-&quot;</extracomment>
        <translation>%1, %2, %3, %4</translation>
    </message>
    <message>
        <source>Text Lines</source>
        <translation>Textzeilen</translation>
    </message>
    <message>
        <source>Snap to Text Lines</source>
        <translation>An Textzeilen ausrichten</translation>
    </message>
    <message>
        <source>Settle on the line the pointer rests on</source>
        <translation>Legt sich auf die Zeile unter dem ruhenden Zeiger</translation>
    </message>
    <message>
        <source>Follow the Text Cursor</source>
        <translation>Dem Textcursor folgen</translation>
    </message>
    <message>
        <source>Go to the line you type on</source>
        <translation>Geht zur Zeile, in der Sie schreiben</translation>
    </message>
    <message>
        <source>Line Keys</source>
        <translation>Zeilentasten</translation>
    </message>
    <message>
        <source>Restart Qt applications to let Tovani see their text</source>
        <translation>Starten Sie Qt-Anwendungen neu, damit Tovani ihren Text sieht</translation>
    </message>
    <message>
        <source>Rest the pointer on a line of text and the guide settles on it, as tall as the line. Where an application does not report its text, it stays at the pointer.</source>
        <translation>Lassen Sie den Zeiger auf einer Textzeile ruhen, und die Lesehilfe legt sich darauf, so hoch wie die Zeile. Wo eine Anwendung ihren Text nicht meldet, bleibt sie am Zeiger.</translation>
    </message>
    <message>
        <source>When you type or move the text cursor, the guide goes to its line; move the pointer to take the guide back.</source>
        <translation>Wenn Sie schreiben oder den Textcursor bewegen, springt die Lesehilfe in dessen Zeile; bewegen Sie den Zeiger, um sie zurückzuholen.</translation>
    </message>
    <message>
        <source>The guide stays at the pointer, and Tovani does not ask applications where their text is.</source>
        <translation>Die Lesehilfe bleibt am Zeiger, und Tovani fragt Anwendungen nicht, wo ihr Text steht.</translation>
    </message>
    <message>
        <source>The line keys move the guide a line down or up without moving the text cursor, and lock it in place until you press them again.</source>
        <translation>Die Zeilentasten bewegen die Lesehilfe eine Zeile nach unten oder oben, ohne den Textcursor zu bewegen, und halten sie dort fest, bis Sie sie erneut drücken.</translation>
    </message>
    <message>
        <source>With the line keys and Global Keyboard Shortcuts on, keys move the guide a line down or up and lock it; &quot;tovani next-line&quot;, &quot;tovani previous-line&quot; and &quot;tovani lock&quot; do it from anywhere.</source>
        <translation>Mit eingeschalteten Zeilentasten und globalen Tastenkürzeln bewegen Tasten die Lesehilfe eine Zeile nach unten oder oben und halten sie fest; „tovani next-line“, „tovani previous-line“ und „tovani lock“ tun das von überall.</translation>
    </message>
    <message>
        <source>Reading aloud starts on the line the guide settled on: switch on Snap to Text Lines to use it.</source>
        <translation>Das Vorlesen beginnt auf der Zeile, auf der die Lesehilfe steht: Schalten Sie „An Textzeilen ausrichten“ ein, um es zu nutzen.</translation>
    </message>
    <message>
        <source>%1 or &quot;tovani read-aloud&quot;</source>
        <translation>%1 oder „tovani read-aloud“</translation>
    </message>
    <message>
        <source>%1 reads the guide&apos;s line aloud, then moves the guide on line after line; give it again or move the pointer to stop.</source>
        <translation>%1 liest die Zeile der Lesehilfe vor und rückt die Lesehilfe dann Zeile für Zeile weiter; noch einmal geben oder den Zeiger bewegen, um aufzuhören.</translation>
    </message>
    <message>
        <source>Read Aloud</source>
        <translation>Vorlesen</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Tempo</translation>
    </message>
    <message>
        <source>Usual</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Voice</source>
        <translation>Stimme</translation>
    </message>
    <message>
        <source>One of speech-dispatcher&apos;s voices</source>
        <translation>Eine der Stimmen von speech-dispatcher</translation>
    </message>
    <message>
        <source>Default voice</source>
        <translation>Standardstimme</translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Tovani Preferences</source>
        <translation>Tovani-Einstellungen</translation>
    </message>
</context>
<context>
    <name>PresetColor</name>
    <message>
        <source>Amber</source>
        <translation>Bernstein</translation>
    </message>
    <message>
        <source>Best for light mode</source>
        <translation>Ideal für helle Darstellung</translation>
    </message>
    <message>
        <source>Gold</source>
        <translation>Gold</translation>
    </message>
    <message>
        <source>Peach</source>
        <translation>Pfirsich</translation>
    </message>
    <message>
        <source>Gentle on eyes</source>
        <translation>Schont die Augen</translation>
    </message>
    <message>
        <source>Coral</source>
        <translation>Koralle</translation>
    </message>
    <message>
        <source>High contrast</source>
        <translation>Hoher Kontrast</translation>
    </message>
    <message>
        <source>Cyan</source>
        <translation>Cyan</translation>
    </message>
    <message>
        <source>Best for dark mode</source>
        <translation>Ideal für dunkle Darstellung</translation>
    </message>
    <message>
        <source>Mint</source>
        <translation>Mintgrün</translation>
    </message>
    <message>
        <source>Lime</source>
        <translation>Limettengrün</translation>
    </message>
    <message>
        <source>Sky</source>
        <translation>Himmelblau</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>High visibility</source>
        <translation>Gut sichtbar</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>Orange</translation>
    </message>
    <message>
        <source>Warm, visible</source>
        <translation>Warm und gut sichtbar</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Blau</translation>
    </message>
    <message>
        <source>Calming</source>
        <translation>Beruhigend</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Lila</translation>
    </message>
    <message>
        <source>Soft contrast</source>
        <translation>Sanfter Kontrast</translation>
    </message>
    <message>
        <source>Ruler</source>
        <translation>Lineal</translation>
    </message>
    <message>
        <source>Classic ruler</source>
        <translation>Klassisches Lineal</translation>
    </message>
    <message>
        <source>Steel</source>
        <translation>Stahl</translation>
    </message>
    <message>
        <source>Subtle</source>
        <translation>Dezent</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>Grau</translation>
    </message>
    <message>
        <source>Minimal</source>
        <translation>Zurückhaltend</translation>
    </message>
</context>
<context>
    <name>PreviewPanel</name>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 ist kein Ordner</translation>
    </message>
    <message>
        <source>%1 belongs to another user</source>
        <translation>%1 gehört einem anderen Benutzer</translation>
    </message>
    <message>
        <source>%1 has mode %2, not 0700</source>
        <translation>%1 hat die Rechte %2, nicht 0700</translation>
    </message>
    <message>
        <source>%1 is not an absolute path</source>
        <translation>%1 ist kein absoluter Pfad</translation>
    </message>
    <message>
        <source>XDG_RUNTIME_DIR is not private (%1)</source>
        <translation>XDG_RUNTIME_DIR ist nicht privat (%1)</translation>
    </message>
    <message>
        <source>the path %1 is longer than the %2 bytes a socket address takes</source>
        <translation>der Pfad %1 ist länger als die %2 Byte, die eine Socket-Adresse fasst</translation>
    </message>
    <message>
        <source>cannot create %1: %2</source>
        <translation>%1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>no private folder for the control socket: %1</source>
        <translation>kein privater Ordner für den Steuer-Socket: %1</translation>
    </message>
    <message>
        <source>cannot create the lock file %1.lock</source>
        <translation>die Sperrdatei %1.lock kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>cannot replace %1</source>
        <translation>%1 kann nicht ersetzt werden</translation>
    </message>
    <message>
        <source>the path %1 is too long for a socket</source>
        <translation>der Pfad %1 ist zu lang für einen Socket</translation>
    </message>
    <message>
        <source>cannot listen on %1: %2</source>
        <translation>auf %1 kann nicht gelauscht werden: %2</translation>
    </message>
    <message>
        <source>not ready</source>
        <translation>noch nicht bereit</translation>
    </message>
    <message>
        <source>%1 belongs to another user; not connecting to it</source>
        <translation>%1 gehört einem anderen Benutzer; keine Verbindung dorthin</translation>
    </message>
</context>
<context>
    <name>TovaniApp</name>
    <message>
        <source>the running copy did not answer</source>
        <translation>die laufende Instanz hat nicht geantwortet</translation>
    </message>
    <message>
        <source>the running copy (process %1) does not answer</source>
        <translation>die laufende Instanz (Prozess %1) antwortet nicht</translation>
    </message>
    <message>
        <source>tovani %1 (build %2)</source>
        <translation>tovani %1 (Build %2)</translation>
    </message>
    <message>
        <source>Try &quot;tovani --help&quot;.</source>
        <translation>Siehe „tovani --help“.</translation>
    </message>
    <message>
        <source>%1; using %2 instead</source>
        <translation>%1; stattdessen wird %2 verwendet</translation>
    </message>
    <message>
        <source>a private folder</source>
        <translation>ein privater Ordner</translation>
    </message>
    <message>
        <source>not running</source>
        <translation>läuft nicht</translation>
    </message>
    <message>
        <source>no display to draw on (DISPLAY is not set)</source>
        <translation>keine Anzeige zum Zeichnen (DISPLAY ist nicht gesetzt)</translation>
    </message>
    <message>
        <source>starting up</source>
        <translation>startet gerade</translation>
    </message>
</context>
<context>
    <name>TrayMenu</name>
    <message>
        <source>Shortcuts:</source>
        <translation>Tastenkürzel:</translation>
    </message>
    <message>
        <source> (in use)</source>
        <translation> (belegt)</translation>
    </message>
    <message>
        <source>Tovani (%1)
Style: %2</source>
        <translation>Tovani (%1)
Stil: %2</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>AN</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>AUS</translation>
    </message>
    <message>
        <source>%1 to toggle</source>
        <translation>%1 zum Umschalten</translation>
    </message>
</context>
<context>
    <name>speech</name>
    <message>
        <source>End of text</source>
        <translation>Ende des Textes</translation>
    </message>
    <message>
        <source>Stopped reading</source>
        <translation>Vorlesen beendet</translation>
    </message>
    <message>
        <source>Reading aloud needs speech-dispatcher: install the package &quot;speech-dispatcher&quot;.</source>
        <translation>Zum Vorlesen wird speech-dispatcher gebraucht: Installieren Sie das Paket „speech-dispatcher“.</translation>
    </message>
    <message>
        <source>speech-dispatcher does not answer; reading aloud stopped.</source>
        <translation>speech-dispatcher antwortet nicht; das Vorlesen wurde beendet.</translation>
    </message>
    <message>
        <source>speech-dispatcher gave an answer Tovani does not understand; reading aloud stopped.</source>
        <translation>speech-dispatcher gab eine Antwort, die Tovani nicht versteht; das Vorlesen wurde beendet.</translation>
    </message>
    <message>
        <source>speech-dispatcher went away; reading aloud stopped.</source>
        <translation>speech-dispatcher ist nicht mehr da; das Vorlesen wurde beendet.</translation>
    </message>
</context>
<context>
    <name>valuetext</name>
    <message>
        <source>%1%</source>
        <translation>%1&#xa0;%</translation>
    </message>
    <message>
        <source>%1px</source>
        <translation>%1&#xa0;px</translation>
    </message>
    <message>
        <source>%1x</source>
        <translation>%1×</translation>
    </message>
</context>
</TS>
