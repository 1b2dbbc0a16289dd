<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>AboutView</name>
    <message>
        <source>Version %1 (%2)</source>
        <translation>Version %1 (%2)</translation>
    </message>
    <message>
        <source>Tovani icon</source>
        <translation>Icône de Tovani</translation>
    </message>
    <message>
        <source>Tovani</source>
        <translation>Tovani</translation>
    </message>
    <message>
        <source>Speed reading guide for Linux</source>
        <translation>Guide de lecture rapide pour Linux</translation>
    </message>
    <message>
        <source>Developed by</source>
        <translation>Développé par</translation>
    </message>
    <message>
        <source>Tovani contributors</source>
        <translation>les contributeurs de Tovani</translation>
    </message>
    <message>
        <source>Open-source project</source>
        <translation>Projet libre</translation>
    </message>
    <message>
        <source>Multiple reading guide styles</source>
        <translation>Plusieurs styles de guide de lecture</translation>
    </message>
    <message>
        <source>Customizable colors &amp; opacity</source>
        <translation>Couleurs et opacité réglables</translation>
    </message>
    <message>
        <source>Global keyboard shortcuts</source>
        <translation>Raccourcis clavier globaux</translation>
    </message>
    <message>
        <source>Multi-monitor support</source>
        <translation>Prise en charge de plusieurs écrans</translation>
    </message>
    <message>
        <source>© 2026 Tovani contributors · GPL-3.0-or-later</source>
        <translation>© 2026 Contributeurs de Tovani · GPL-3.0-or-later</translation>
    </message>
</context>
<context>
    <name>AboutWindow</name>
    <message>
        <source>About Tovani</source>
        <translation>À propos de Tovani</translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Settings not saved: %1</source>
        <translation>Réglages non enregistrés&#xa0;: %1</translation>
    </message>
    <message>
        <source>Tovani</source>
        <translation>Tovani</translation>
    </message>
    <message>
        <source>Limited in a Wayland session</source>
        <translation>Limité dans une session Wayland</translation>
    </message>
    <message>
        <source>You can also bind &quot;tovani toggle&quot;, &quot;tovani cycle-style&quot; and the other commands of &quot;tovani --help&quot; to shortcuts in your desktop&apos;s keyboard settings.</source>
        <translation>Vous pouvez aussi associer «&#xa0;tovani toggle&#xa0;», «&#xa0;tovani cycle-style&#xa0;» et les autres commandes de «&#xa0;tovani --help&#xa0;» à des raccourcis dans les réglages du clavier de votre bureau.</translation>
    </message>
    <message>
        <source>Tovani follows the pointer and answers its keyboard shortcuts only while the pointer is over windows of X11 programs. Over other windows the guide stays where it was.

To use Tovani everywhere, log in with an X11 session (often called &quot;Xorg&quot; on the login screen).</source>
        <translation>Tovani suit le pointeur et répond à ses raccourcis clavier uniquement lorsque le pointeur survole des fenêtres de programmes X11. Au-dessus des autres fenêtres, le guide reste où il était.

Pour utiliser Tovani partout, ouvrez une session X11 (souvent appelée «&#xa0;Xorg&#xa0;» sur l’écran de connexion).</translation>
    </message>
    <message>
        <source>Tovani runs on Wayland directly, where it cannot see the pointer outside its own windows or take global keyboard shortcuts, and the magnifier cannot show the screen: the guide does not follow the pointer.

Log in with an X11 session (often called &quot;Xorg&quot; on the login screen), or start Tovani with QT_QPA_PLATFORM=xcb to follow the pointer over X11 programs.</source>
        <translation>Tovani fonctionne directement sous Wayland, où il ne voit pas le pointeur hors de ses propres fenêtres, ne peut pas prendre de raccourcis clavier globaux, et où la loupe ne peut pas afficher l’écran&#xa0;: le guide ne suit pas le pointeur.

Ouvrez une session X11 (souvent appelée «&#xa0;Xorg&#xa0;» sur l’écran de connexion), ou lancez Tovani avec QT_QPA_PLATFORM=xcb pour suivre le pointeur au-dessus des programmes X11.</translation>
    </message>
    <message>
        <source>Open Keyboard Settings</source>
        <translation>Ouvrir les réglages du clavier</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Plus tard</translation>
    </message>
    <message>
        <source>No system tray is available: use this window, the shortcuts or the tovani command.</source>
        <translation>Aucune zone de notification n’est disponible&#xa0;: utilisez cette fenêtre, les raccourcis ou la commande tovani.</translation>
    </message>
    <message>
        <source>The guide works without the pointer here</source>
        <translation>Le guide fonctionne ici sans le pointeur</translation>
    </message>
    <message>
        <source>This desktop does not tell programs where the pointer is, so the guide cannot follow it. It starts in the middle third of the screen, and you move it a line at a time with the commands &quot;tovani next-line&quot; and &quot;tovani previous-line&quot;.

Bind them, and &quot;tovani toggle&quot;, to keys in your desktop&apos;s settings: in sway, for example, add &quot;bindsym $mod+j exec tovani next-line&quot; to its configuration file.</source>
        <translation>Ce bureau n’indique pas aux programmes où se trouve le pointeur, le guide ne peut donc pas le suivre. Il démarre dans le tiers central de l’écran, et vous le déplacez d’une ligne à la fois avec les commandes «&#xa0;tovani next-line&#xa0;» et «&#xa0;tovani previous-line&#xa0;».

Associez-les, ainsi que «&#xa0;tovani toggle&#xa0;», à des touches dans les réglages de votre bureau&#xa0;: dans sway, par exemple, ajoutez «&#xa0;bindsym $mod+j exec tovani next-line&#xa0;» à son fichier de configuration.</translation>
    </message>
    <message>
        <source>The guide is off</source>
        <translation>Le guide est désactivé</translation>
    </message>
    <message>
        <source>Switch on Tovani&apos;s GNOME Shell extension?</source>
        <translation>Activer l’extension GNOME Shell de Tovani ?</translation>
    </message>
    <message>
        <source>GNOME Shell shows the guide through it, above every window, and follows the pointer. It is installed for you alone.</source>
        <translation>GNOME Shell affiche le guide grâce à elle, au-dessus de toutes les fenêtres, et le fait suivre le pointeur. Elle est installée pour vous seul.</translation>
    </message>
    <message>
        <source>Install</source>
        <translation>Installer</translation>
    </message>
    <message>
        <source>Not Now</source>
        <translation>Pas maintenant</translation>
    </message>
    <message>
        <source>The extension could not be installed: %1</source>
        <translation>L’extension n’a pas pu être installée : %1</translation>
    </message>
    <message>
        <source>Log out and log in again once</source>
        <translation>Déconnectez-vous et reconnectez-vous une fois</translation>
    </message>
    <message>
        <source>GNOME Shell starts new extensions only at log-in; from then on Tovani&apos;s guide shows and follows the pointer.</source>
        <translation>GNOME Shell ne démarre les nouvelles extensions qu’à la connexion ; ensuite, le guide de Tovani s’affiche et suit le pointeur.</translation>
    </message>
    <message>
        <source>Stopped reading</source>
        <translation>Lecture arrêtée</translation>
    </message>
    <message>
        <source>Reading aloud needs Snap to Text Lines: switch it on in the preferences.</source>
        <translation>La lecture à voix haute a besoin de « Suivre les lignes de texte » : activez-le dans les préférences.</translation>
    </message>
    <message>
        <source>No text to read here: rest the pointer on a line in an application that reports its text.</source>
        <translation>Aucun texte à lire ici : posez le pointeur sur une ligne d’une application qui indique son texte.</translation>
    </message>
</context>
<context>
    <name>AppSettings</name>
    <message>
        <source>%1 is not a regular file</source>
        <translation>%1 n’est pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>%1 is read-only</source>
        <translation>%1 est en lecture seule</translation>
    </message>
    <message>
        <source>cannot create the folder %1</source>
        <translation>impossible de créer le dossier %1</translation>
    </message>
</context>
<context>
    <name>ColorWell</name>
    <message>
        <source>Custom colour</source>
        <translation>Couleur personnalisée</translation>
    </message>
    <message>
        <source>Guide Colour</source>
        <translation>Couleur du guide</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation>argument inattendu «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot;</source>
        <translation>option inconnue «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>commande inconnue «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>&quot;%1&quot; takes no argument</source>
        <translation>«&#xa0;%1&#xa0;» ne prend pas d’argument</translation>
    </message>
    <message>
        <source>&quot;%1&quot; takes one style: %2</source>
        <translation>«&#xa0;%1&#xa0;» prend un style&#xa0;: %2</translation>
    </message>
    <message>
        <source>unknown style &quot;%1&quot;</source>
        <translation>style inconnu «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>STYLE</source>
        <translation>STYLE</translation>
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
        <translation>Usage&#xa0;: tovani [COMMANDE]

Un guide de lecture qui suit le pointeur. Sans commande, démarre Tovani
(ou ouvre les préférences de l’instance déjà en cours).

Commandes, envoyées à l’instance en cours (démarrée d’abord si nécessaire)&#xa0;:
%1
Options&#xa0;:
  -h, --help          afficher cette aide
  -v, --version       afficher la version

Code de sortie&#xa0;: 0 en cas de succès, 1 si l’instance en cours n’a pas pu être
jointe, 2 pour une commande ou un argument inconnu, ou une modification qui
n’a pas été enregistrée.
</translation>
    </message>
</context>
<context>
    <name>CommandRegistry</name>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>commande inconnue «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>unknown style &quot;%1&quot;</source>
        <translation>style inconnu «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>the change was not saved: %1</source>
        <translation>la modification n’a pas été enregistrée&#xa0;: %1</translation>
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
        <translation>activer ou désactiver le guide de lecture</translation>
    </message>
    <message>
        <source>Toggle guide</source>
        <translation>Activer/désactiver le guide</translation>
    </message>
    <message>
        <source>Enable Reading Guide</source>
        <translation>Activer le guide de lecture</translation>
    </message>
    <message>
        <source>Reading Guide Enabled</source>
        <translation>Guide de lecture activé</translation>
    </message>
    <message>
        <source>show or hide the crosshair brackets</source>
        <translation>afficher ou masquer les crochets en croix</translation>
    </message>
    <message>
        <source>Crosshair Brackets</source>
        <translation>Crochets en croix</translation>
    </message>
    <message>
        <source>switch the magnifier on or off</source>
        <translation>activer ou désactiver la loupe</translation>
    </message>
    <message>
        <source>Magnifier</source>
        <translation>Loupe</translation>
    </message>
    <message>
        <source>switch to a style: %1</source>
        <translation>passer à un style&#xa0;: %1</translation>
    </message>
    <message>
        <source>Switch style</source>
        <translation>Changer de style</translation>
    </message>
    <message>
        <source>Style</source>
        <translation>Style</translation>
    </message>
    <message>
        <source>switch to the next style</source>
        <translation>passer au style suivant</translation>
    </message>
    <message>
        <source>Cycle styles</source>
        <translation>Faire défiler les styles</translation>
    </message>
    <message>
        <source>make the guide 5 points thicker</source>
        <translation>épaissir le guide de 5 points</translation>
    </message>
    <message>
        <source>Thicker guide</source>
        <translation>Guide plus épais</translation>
    </message>
    <message>
        <source>make the guide 5 points thinner</source>
        <translation>affiner le guide de 5 points</translation>
    </message>
    <message>
        <source>Thinner guide</source>
        <translation>Guide plus fin</translation>
    </message>
    <message>
        <source>open the preferences window</source>
        <translation>ouvrir la fenêtre des préférences</translation>
    </message>
    <message>
        <source>Preferences...</source>
        <translation>Préférences…</translation>
    </message>
    <message>
        <source>Launch at Login</source>
        <translation>Lancer à l’ouverture de session</translation>
    </message>
    <message>
        <source>open the About window</source>
        <translation>ouvrir la fenêtre «&#xa0;À propos&#xa0;»</translation>
    </message>
    <message>
        <source>About Tovani</source>
        <translation>À propos de Tovani</translation>
    </message>
    <message>
        <source>end the running copy</source>
        <translation>arrêter l’instance en cours</translation>
    </message>
    <message>
        <source>Quit Tovani</source>
        <translation>Quitter Tovani</translation>
    </message>
    <message>
        <source>%1, %2 or 1-%3</source>
        <translation>%1, %2 ou 1-%3</translation>
    </message>
    <message>
        <source>move the guide to the next line of text</source>
        <translation>déplacer le guide à la ligne de texte suivante</translation>
    </message>
    <message>
        <source>Next line</source>
        <translation>Ligne suivante</translation>
    </message>
    <message>
        <source>Next Line</source>
        <translation>Ligne suivante</translation>
    </message>
    <message>
        <source>move the guide to the previous line of text</source>
        <translation>déplacer le guide à la ligne de texte précédente</translation>
    </message>
    <message>
        <source>Previous line</source>
        <translation>Ligne précédente</translation>
    </message>
    <message>
        <source>Previous Line</source>
        <translation>Ligne précédente</translation>
    </message>
    <message>
        <source>lock the guide in place, or unlock it</source>
        <translation>verrouiller le guide sur place, ou le déverrouiller</translation>
    </message>
    <message>
        <source>Lock guide</source>
        <translation>Verrouiller le guide</translation>
    </message>
    <message>
        <source>Lock Guide</source>
        <translation>Verrouiller le guide</translation>
    </message>
    <message>
        <source>Guide Locked</source>
        <translation>Guide verrouillé</translation>
    </message>
    <message>
        <source>print how Tovani reaches the desktop: its backend and pointer</source>
        <translation>afficher comment Tovani accède au bureau&#xa0;: son backend et son pointeur</translation>
    </message>
    <message>
        <source>Guide locked</source>
        <translation>Guide verrouillé</translation>
    </message>
    <message>
        <source>Guide unlocked</source>
        <translation>Guide déverrouillé</translation>
    </message>
    <message>
        <source>Reading aloud</source>
        <translation>Lecture à voix haute</translation>
    </message>
    <message>
        <source>Stopped reading</source>
        <translation>Lecture arrêtée</translation>
    </message>
    <message>
        <source>read aloud from the guide&apos;s line on, line after line, or stop</source>
        <translation>lire à voix haute à partir de la ligne du guide, ligne après ligne, ou s’arrêter</translation>
    </message>
    <message>
        <source>Read aloud</source>
        <translation>Lire à voix haute</translation>
    </message>
    <message>
        <source>Read Aloud</source>
        <translation>Lire à voix haute</translation>
    </message>
    <message>
        <source>Stop Reading</source>
        <translation>Arrêter la lecture</translation>
    </message>
</context>
<context>
    <name>LaunchAtLogin</name>
    <message>
        <source>unknown error</source>
        <translation>erreur inconnue</translation>
    </message>
    <message>
        <source>Failed to enable launch at login: %1</source>
        <translation>Impossible d’activer le lancement à l’ouverture de session&#xa0;: %1</translation>
    </message>
    <message>
        <source>Failed to disable launch at login: %1</source>
        <translation>Impossible de désactiver le lancement à l’ouverture de session&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>LineStyle</name>
    <message>
        <source>Underline</source>
        <translation>Soulignement</translation>
    </message>
    <message>
        <source>Highlight Bar</source>
        <translation>Surligneur</translation>
    </message>
    <message>
        <source>Focus Window</source>
        <translation>Fenêtre de focus</translation>
    </message>
    <message>
        <source>Ruler</source>
        <translation>Règle</translation>
    </message>
    <message>
        <source>Reading Strip</source>
        <translation>Bande de lecture</translation>
    </message>
</context>
<context>
    <name>MagnifierView</name>
    <message>
        <source>Needs an X11 session</source>
        <translation>Nécessite une session X11</translation>
    </message>
    <message>
        <source>Screen capture unavailable</source>
        <translation>Capture d’écran indisponible</translation>
    </message>
    <message>
        <source>Unavailable on Wayland for now</source>
        <translation>Indisponible sous Wayland pour l’instant</translation>
    </message>
    <message>
        <source>KWin did not say whether it can magnify the screen</source>
        <translation>KWin n’a pas indiqué s’il peut agrandir l’écran</translation>
    </message>
    <message>
        <source>KWin&apos;s magnifier needs KWin to draw with OpenGL, which it does not here</source>
        <translation>La loupe de KWin a besoin que KWin dessine avec OpenGL, ce qu’il ne fait pas ici</translation>
    </message>
</context>
<context>
    <name>MagnifierWindow</name>
    <message>
        <source>Tovani Magnifier</source>
        <translation>Loupe Tovani</translation>
    </message>
</context>
<context>
    <name>Platform</name>
    <message>
        <source>cannot write in %1: %2</source>
        <translation>impossible d’écrire dans %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>impossible d’écrire %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Tovani Guide</source>
        <translation>Guide Tovani</translation>
    </message>
    <message>
        <source>cannot open the X display &quot;%1&quot; (is the X server running, and may this user use it?)</source>
        <translation>impossible d’ouvrir l’affichage X «&#xa0;%1&#xa0;» (le serveur X tourne-t-il, et cet utilisateur a-t-il le droit de s’en servir&#xa0;?)</translation>
    </message>
    <message>
        <source>the program&apos;s path holds a control character such as a line break, which an autostart entry cannot hold; move Tovani to a folder whose path has none</source>
        <translation>le chemin du programme contient un caractère de contrôle, comme un saut de ligne, qu’une entrée de démarrage automatique ne peut pas contenir&#xa0;; déplacez Tovani dans un dossier dont le chemin n’en contient pas</translation>
    </message>
    <message>
        <source>the program&apos;s path %1 holds &quot;%2&quot;, from which session launchers cannot start it; move Tovani to a folder whose path has none of % \ &quot; &apos; $ `</source>
        <translation>le chemin du programme %1 contient «&#xa0;%2&#xa0;», ce qui empêche les lanceurs de session de le démarrer&#xa0;; déplacez Tovani dans un dossier dont le chemin ne contient aucun des caractères % \ &quot; &apos; $ `</translation>
    </message>
    <message>
        <source>the location of the program is unknown</source>
        <translation>l’emplacement du programme est inconnu</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 n’est pas un dossier</translation>
    </message>
    <message>
        <source>could not create the folder %1</source>
        <translation>impossible de créer le dossier %1</translation>
    </message>
    <message>
        <source>%1 is a folder</source>
        <translation>%1 est un dossier</translation>
    </message>
    <message>
        <source>could not remove %1: %2</source>
        <translation>impossible de supprimer %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Screen capture on Wayland needs the desktop&apos;s permission, which Tovani cannot ask for yet</source>
        <translation>La capture d’écran sous Wayland nécessite l’autorisation du bureau, que Tovani ne peut pas encore demander</translation>
    </message>
    <message>
        <source>To use a shortcut, bind a key to the command &quot;tovani toggle&quot; (or another command) in System Settings &gt; Shortcuts &gt; Custom Shortcuts.</source>
        <translation>Pour utiliser un raccourci, associez une touche à la commande «&#xa0;tovani toggle&#xa0;» (ou à une autre commande) dans Configuration du système &gt; Raccourcis &gt; Raccourcis personnalisés.</translation>
    </message>
    <message>
        <source>To use a shortcut, bind a key to the command &quot;tovani toggle&quot; (or another command) in Settings &gt; Keyboard &gt; Keyboard Shortcuts &gt; Custom Shortcuts.</source>
        <translation>Pour utiliser un raccourci, associez une touche à la commande «&#xa0;tovani toggle&#xa0;» (ou à une autre commande) dans Paramètres &gt; Clavier &gt; Raccourcis clavier &gt; Raccourcis personnalisés.</translation>
    </message>
    <message>
        <source>To use a shortcut, add a line such as &quot;bindsym Ctrl+Shift+r exec tovani toggle&quot; to sway&apos;s configuration file (~/.config/sway/config).</source>
        <translation>Pour utiliser un raccourci, ajoutez une ligne comme «&#xa0;bindsym Ctrl+Shift+r exec tovani toggle&#xa0;» au fichier de configuration de sway (~/.config/sway/config).</translation>
    </message>
    <message>
        <source>To use a shortcut, add a line such as &quot;bind = CTRL SHIFT, R, exec, tovani toggle&quot; to Hyprland&apos;s configuration file (~/.config/hypr/hyprland.conf).</source>
        <translation>Pour utiliser un raccourci, ajoutez une ligne comme «&#xa0;bind = CTRL SHIFT, R, exec, tovani toggle&#xa0;» au fichier de configuration de Hyprland (~/.config/hypr/hyprland.conf).</translation>
    </message>
    <message>
        <source>To use a shortcut, bind a key to the command &quot;tovani toggle&quot; (or another command) in your desktop&apos;s keyboard settings or configuration file.</source>
        <translation>Pour utiliser un raccourci, associez une touche à la commande «&#xa0;tovani toggle&#xa0;» (ou à une autre commande) dans les réglages du clavier ou le fichier de configuration de votre bureau.</translation>
    </message>
    <message>
        <source>GNOME Shell gives no program a picture of the screen without asking each time</source>
        <translation>GNOME Shell ne donne à aucun programme une image de l’écran sans demander à chaque fois</translation>
    </message>
    <message>
        <source>could not write %1</source>
        <translation>impossible d’écrire %1</translation>
    </message>
    <message>
        <source>the gsettings program is missing</source>
        <translation>le programme gsettings est absent</translation>
    </message>
    <message>
        <source>gsettings failed: %1</source>
        <translation>gsettings a échoué : %1</translation>
    </message>
    <message>
        <source>it speaks version %1 of Tovani&apos;s interface, this Tovani version %2; log out and log in again to load the one installed with Tovani</source>
        <translation>elle parle la version %1 de l’interface de Tovani, ce Tovani la version %2 ; déconnectez-vous et reconnectez-vous pour charger celle installée avec Tovani</translation>
    </message>
    <message>
        <source>GNOME Shell does not answer (%1)</source>
        <translation>GNOME Shell ne répond pas (%1)</translation>
    </message>
    <message>
        <source>it does not support this version of GNOME Shell</source>
        <translation>elle ne prend pas en charge cette version de GNOME Shell</translation>
    </message>
    <message>
        <source>GNOME Shell shows the guide through Tovani&apos;s extension.</source>
        <translation>GNOME Shell affiche le guide grâce à l’extension de Tovani.</translation>
    </message>
    <message>
        <source>GNOME Shell is starting Tovani&apos;s extension.</source>
        <translation>GNOME Shell démarre l’extension de Tovani.</translation>
    </message>
    <message>
        <source>Tovani shows its guide on GNOME through a small extension of GNOME Shell, which is not installed yet.</source>
        <translation>Sous GNOME, Tovani affiche son guide grâce à une petite extension de GNOME Shell, qui n’est pas encore installée.</translation>
    </message>
    <message>
        <source>Tovani&apos;s GNOME Shell extension is switched off.</source>
        <translation>L’extension GNOME Shell de Tovani est désactivée.</translation>
    </message>
    <message>
        <source>Log out and log in again once: GNOME Shell starts Tovani&apos;s extension at log-in.</source>
        <translation>Déconnectez-vous et reconnectez-vous une fois : GNOME Shell démarre l’extension de Tovani à la connexion.</translation>
    </message>
    <message>
        <source>GNOME Shell could not run Tovani&apos;s extension: %1</source>
        <translation>GNOME Shell n’a pas pu exécuter l’extension de Tovani : %1</translation>
    </message>
    <message>
        <source>Tovani&apos;s files do not include the extension</source>
        <translation>les fichiers de Tovani ne contiennent pas l’extension</translation>
    </message>
    <message>
        <source>GNOME Shell&apos;s list of extensions is unreadable: %1</source>
        <translation>la liste des extensions de GNOME Shell est illisible : %1</translation>
    </message>
    <message>
        <source>Extensions are switched off in GNOME&apos;s Extensions app (&quot;Use Extensions&quot;); switch them on to see Tovani&apos;s guide.</source>
        <translation>Les extensions sont désactivées dans l’application Extensions de GNOME (« Utiliser les extensions ») ; activez-les pour voir le guide de Tovani.</translation>
    </message>
    <message>
        <source>another program holds its name on the session bus</source>
        <translation>un autre programme détient son nom sur le bus de session</translation>
    </message>
    <message>
        <source>Another program holds Tovani&apos;s name on the session bus (%1), so Tovani does not use its GNOME Shell extension; quit that program to see the guide.</source>
        <translation>Un autre programme détient le nom de Tovani sur le bus de session (%1) : Tovani n&apos;utilise donc pas son extension GNOME Shell ; quittez ce programme pour voir le guide.</translation>
    </message>
    <message>
        <source>Line steps, the lock and snapping to text lines need the newer Tovani extension that came with this Tovani: log out and log in again to load it.</source>
        <translation>Les sauts de ligne, le verrou et l’alignement sur les lignes de texte ont besoin de l’extension Tovani plus récente fournie avec ce Tovani : fermez la session et rouvrez-la pour la charger.</translation>
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
        <translation>Guide de lecture rapide pour Linux</translation>
    </message>
    <message>
        <source>to toggle</source>
        <translation>pour basculer</translation>
    </message>
    <message>
        <source>Style</source>
        <translation>Style</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Couleur</translation>
    </message>
    <message>
        <source>%1 - %2</source>
        <extracomment>A swatch&apos;s tooltip: the colour&apos;s name and what it suits</extracomment>
        <translation>%1 – %2</translation>
    </message>
    <message>
        <source>Appearance</source>
        <translation>Apparence</translation>
    </message>
    <message>
        <source>Opacity</source>
        <translation>Opacité</translation>
    </message>
    <message>
        <source>Thickness</source>
        <translation>Épaisseur</translation>
    </message>
    <message>
        <source>Reading line height</source>
        <translation>Hauteur de la ligne de lecture</translation>
    </message>
    <message>
        <source>Tip: Increase thickness for thicker colored bands</source>
        <translation>Astuce&#xa0;: augmentez l’épaisseur pour des bandes colorées plus larges</translation>
    </message>
    <message>
        <source>Vertical Brackets</source>
        <translation>Crochets verticaux</translation>
    </message>
    <message>
        <source>Crosshair-style reading zone</source>
        <translation>Zone de lecture en croix</translation>
    </message>
    <message>
        <source>Bracket width</source>
        <translation>Largeur des crochets</translation>
    </message>
    <message>
        <source>Magnifier</source>
        <translation>Loupe</translation>
    </message>
    <message>
        <source>Zoom on text around cursor</source>
        <translation>Agrandit le texte autour du pointeur</translation>
    </message>
    <message>
        <source>Zoom level</source>
        <translation>Niveau de zoom</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Général</translation>
    </message>
    <message>
        <source>Launch at Login</source>
        <translation>Lancer à l’ouverture de session</translation>
    </message>
    <message>
        <source>Start Tovani when you log in</source>
        <translation>Démarrer Tovani à l’ouverture de session</translation>
    </message>
    <message>
        <source>Global Keyboard Shortcuts</source>
        <translation>Raccourcis clavier globaux</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Réinitialiser</translation>
    </message>
    <message>
        <source>Reset Settings</source>
        <translation>Réinitialiser les réglages</translation>
    </message>
    <message>
        <source>Restore all settings to defaults</source>
        <translation>Rétablir tous les réglages par défaut</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Aperçu</translation>
    </message>
    <message>
        <source>Reset to Defaults?</source>
        <translation>Rétablir les réglages par défaut&#xa0;?</translation>
    </message>
    <message>
        <source>This will restore all settings to their default values.</source>
        <translation>Tous les réglages reprendront leur valeur par défaut.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>%1, %2, %3, %4</source>
        <extracomment>The global shortcuts, as in &quot;Ctrl+1-5, Ctrl+Shift+R, Ctrl+Shift+T, Ctrl+Shift++/-&quot;</extracomment>
        <translation>%1, %2, %3, %4</translation>
    </message>
    <message>
        <source>Text Lines</source>
        <translation>Lignes de texte</translation>
    </message>
    <message>
        <source>Snap to Text Lines</source>
        <translation>Suivre les lignes de texte</translation>
    </message>
    <message>
        <source>Settle on the line the pointer rests on</source>
        <translation>Se place sur la ligne où le pointeur s’arrête</translation>
    </message>
    <message>
        <source>Follow the Text Cursor</source>
        <translation>Suivre le curseur de texte</translation>
    </message>
    <message>
        <source>Go to the line you type on</source>
        <translation>Va à la ligne où vous écrivez</translation>
    </message>
    <message>
        <source>Line Keys</source>
        <translation>Touches de ligne</translation>
    </message>
    <message>
        <source>Restart Qt applications to let Tovani see their text</source>
        <translation>Redémarrez les applications Qt pour que Tovani voie leur texte</translation>
    </message>
    <message>
        <source>Rest the pointer on a line of text and the guide settles on it, as tall as the line. Where an application does not report its text, it stays at the pointer.</source>
        <translation>Laissez le pointeur sur une ligne de texte et le guide s’y place, à la hauteur de la ligne. Si une application n’indique pas son texte, il reste au pointeur.</translation>
    </message>
    <message>
        <source>When you type or move the text cursor, the guide goes to its line; move the pointer to take the guide back.</source>
        <translation>Quand vous écrivez ou déplacez le curseur de texte, le guide va à sa ligne&#xa0;; déplacez le pointeur pour le reprendre.</translation>
    </message>
    <message>
        <source>The guide stays at the pointer, and Tovani does not ask applications where their text is.</source>
        <translation>Le guide reste au pointeur, et Tovani ne demande pas aux applications où se trouve leur texte.</translation>
    </message>
    <message>
        <source>The line keys move the guide a line down or up without moving the text cursor, and lock it in place until you press them again.</source>
        <translation>Les touches de ligne déplacent le guide d’une ligne vers le bas ou le haut sans déplacer le curseur de texte, et le verrouillent sur place jusqu’à ce que vous appuyiez de nouveau dessus.</translation>
    </message>
    <message>
        <source>With the line keys and Global Keyboard Shortcuts on, keys move the guide a line down or up and lock it; &quot;tovani next-line&quot;, &quot;tovani previous-line&quot; and &quot;tovani lock&quot; do it from anywhere.</source>
        <translation>Avec les touches de ligne et les raccourcis clavier globaux activés, des touches déplacent le guide d’une ligne vers le bas ou le haut et le verrouillent&#xa0;; «&#xa0;tovani next-line&#xa0;», «&#xa0;tovani previous-line&#xa0;» et «&#xa0;tovani lock&#xa0;» le font depuis n’importe où.</translation>
    </message>
    <message>
        <source>Reading aloud starts on the line the guide settled on: switch on Snap to Text Lines to use it.</source>
        <translation>La lecture commence sur la ligne où le guide s’est posé : activez « Suivre les lignes de texte » pour l’utiliser.</translation>
    </message>
    <message>
        <source>%1 or &quot;tovani read-aloud&quot;</source>
        <translation>%1 ou « tovani read-aloud »</translation>
    </message>
    <message>
        <source>%1 reads the guide&apos;s line aloud, then moves the guide on line after line; give it again or move the pointer to stop.</source>
        <translation>%1 lit à voix haute la ligne du guide, puis avance le guide ligne après ligne ; recommencez ou déplacez le pointeur pour arrêter.</translation>
    </message>
    <message>
        <source>Read Aloud</source>
        <translation>Lire à voix haute</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Vitesse</translation>
    </message>
    <message>
        <source>Usual</source>
        <translation>Normale</translation>
    </message>
    <message>
        <source>Voice</source>
        <translation>Voix</translation>
    </message>
    <message>
        <source>One of speech-dispatcher&apos;s voices</source>
        <translation>Une des voix de speech-dispatcher</translation>
    </message>
    <message>
        <source>Default voice</source>
        <translation>Voix par défaut</translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Tovani Preferences</source>
        <translation>Préférences de Tovani</translation>
    </message>
</context>
<context>
    <name>PresetColor</name>
    <message>
        <source>Amber</source>
        <translation>Ambre</translation>
    </message>
    <message>
        <source>Best for light mode</source>
        <translation>Idéal en mode clair</translation>
    </message>
    <message>
        <source>Gold</source>
        <translation>Or</translation>
    </message>
    <message>
        <source>Peach</source>
        <translation>Pêche</translation>
    </message>
    <message>
        <source>Gentle on eyes</source>
        <translation>Reposant pour les yeux</translation>
    </message>
    <message>
        <source>Coral</source>
        <translation>Corail</translation>
    </message>
    <message>
        <source>High contrast</source>
        <translation>Contraste élevé</translation>
    </message>
    <message>
        <source>Cyan</source>
        <translation>Cyan</translation>
    </message>
    <message>
        <source>Best for dark mode</source>
        <translation>Idéal en mode sombre</translation>
    </message>
    <message>
        <source>Mint</source>
        <translation>Menthe</translation>
    </message>
    <message>
        <source>Lime</source>
        <translation>Citron vert</translation>
    </message>
    <message>
        <source>Sky</source>
        <translation>Bleu ciel</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rouge</translation>
    </message>
    <message>
        <source>High visibility</source>
        <translation>Très visible</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>Orange</translation>
    </message>
    <message>
        <source>Warm, visible</source>
        <translation>Chaud et visible</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Bleu</translation>
    </message>
    <message>
        <source>Calming</source>
        <translation>Apaisant</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Violet</translation>
    </message>
    <message>
        <source>Soft contrast</source>
        <translation>Contraste doux</translation>
    </message>
    <message>
        <source>Ruler</source>
        <translation>Règle</translation>
    </message>
    <message>
        <source>Classic ruler</source>
        <translation>Règle classique</translation>
    </message>
    <message>
        <source>Steel</source>
        <translation>Acier</translation>
    </message>
    <message>
        <source>Subtle</source>
        <translation>Discret</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>Gris</translation>
    </message>
    <message>
        <source>Minimal</source>
        <translation>Minimal</translation>
    </message>
</context>
<context>
    <name>PreviewPanel</name>
    <message>
        <source>Preview</source>
        <translation>Aperçu</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 n’est pas un dossier</translation>
    </message>
    <message>
        <source>%1 belongs to another user</source>
        <translation>%1 appartient à un autre utilisateur</translation>
    </message>
    <message>
        <source>%1 has mode %2, not 0700</source>
        <translation>%1 a les droits %2, et non 0700</translation>
    </message>
    <message>
        <source>%1 is not an absolute path</source>
        <translation>%1 n’est pas un chemin absolu</translation>
    </message>
    <message>
        <source>XDG_RUNTIME_DIR is not private (%1)</source>
        <translation>XDG_RUNTIME_DIR n’est pas privé (%1)</translation>
    </message>
    <message>
        <source>the path %1 is longer than the %2 bytes a socket address takes</source>
        <translation>le chemin %1 dépasse les %2 octets que peut contenir une adresse de socket</translation>
    </message>
    <message>
        <source>cannot create %1: %2</source>
        <translation>impossible de créer %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>no private folder for the control socket: %1</source>
        <translation>aucun dossier privé pour le socket de contrôle&#xa0;: %1</translation>
    </message>
    <message>
        <source>cannot create the lock file %1.lock</source>
        <translation>impossible de créer le fichier de verrou %1.lock</translation>
    </message>
    <message>
        <source>cannot replace %1</source>
        <translation>impossible de remplacer %1</translation>
    </message>
    <message>
        <source>the path %1 is too long for a socket</source>
        <translation>le chemin %1 est trop long pour un socket</translation>
    </message>
    <message>
        <source>cannot listen on %1: %2</source>
        <translation>impossible d’écouter sur %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>not ready</source>
        <translation>pas encore prêt</translation>
    </message>
    <message>
        <source>%1 belongs to another user; not connecting to it</source>
        <translation>%1 appartient à un autre utilisateur&#xa0;; pas de connexion</translation>
    </message>
</context>
<context>
    <name>TovaniApp</name>
    <message>
        <source>the running copy did not answer</source>
        <translation>l’instance en cours n’a pas répondu</translation>
    </message>
    <message>
        <source>the running copy (process %1) does not answer</source>
        <translation>l’instance en cours (processus %1) ne répond pas</translation>
    </message>
    <message>
        <source>tovani %1 (build %2)</source>
        <translation>tovani %1 (build %2)</translation>
    </message>
    <message>
        <source>Try &quot;tovani --help&quot;.</source>
        <translation>Essayez «&#xa0;tovani --help&#xa0;».</translation>
    </message>
    <message>
        <source>%1; using %2 instead</source>
        <translation>%1&#xa0;; utilisation de %2 à la place</translation>
    </message>
    <message>
        <source>a private folder</source>
        <translation>un dossier privé</translation>
    </message>
    <message>
        <source>not running</source>
        <translation>pas en cours d’exécution</translation>
    </message>
    <message>
        <source>no display to draw on (DISPLAY is not set)</source>
        <translation>aucun affichage où dessiner (DISPLAY n’est pas défini)</translation>
    </message>
    <message>
        <source>starting up</source>
        <translation>démarrage en cours</translation>
    </message>
</context>
<context>
    <name>TrayMenu</name>
    <message>
        <source>Shortcuts:</source>
        <translation>Raccourcis&#xa0;:</translation>
    </message>
    <message>
        <source> (in use)</source>
        <translation> (déjà utilisé)</translation>
    </message>
    <message>
        <source>Tovani (%1)
Style: %2</source>
        <translation>Tovani (%1)
Style&#xa0;: %2</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>ACTIVÉ</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>DÉSACTIVÉ</translation>
    </message>
    <message>
        <source>%1 to toggle</source>
        <translation>%1 pour basculer</translation>
    </message>
</context>
<context>
    <name>speech</name>
    <message>
        <source>End of text</source>
        <translation>Fin du texte</translation>
    </message>
    <message>
        <source>Stopped reading</source>
        <translation>Lecture arrêtée</translation>
    </message>
    <message>
        <source>Reading aloud needs speech-dispatcher: install the package &quot;speech-dispatcher&quot;.</source>
        <translation>La lecture à voix haute a besoin de speech-dispatcher : installez le paquet « speech-dispatcher ».</translation>
    </message>
    <message>
        <source>speech-dispatcher does not answer; reading aloud stopped.</source>
        <translation>speech-dispatcher ne répond pas ; la lecture à voix haute est arrêtée.</translation>
    </message>
    <message>
        <source>speech-dispatcher gave an answer Tovani does not understand; reading aloud stopped.</source>
        <translation>speech-dispatcher a donné une réponse que Tovani ne comprend pas ; la lecture à voix haute est arrêtée.</translation>
    </message>
    <message>
        <source>speech-dispatcher went away; reading aloud stopped.</source>
        <translation>speech-dispatcher a disparu ; la lecture à voix haute est arrêtée.</translation>
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
