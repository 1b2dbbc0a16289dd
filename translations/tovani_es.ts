<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>AboutView</name>
    <message>
        <source>Version %1 (%2)</source>
        <translation>Versión %1 (%2)</translation>
    </message>
    <message>
        <source>Tovani icon</source>
        <translation>Icono de Tovani</translation>
    </message>
    <message>
        <source>Tovani</source>
        <translation>Tovani</translation>
    </message>
    <message>
        <source>Speed reading guide for Linux</source>
        <translation>Guía de lectura rápida para Linux</translation>
    </message>
    <message>
        <source>Developed by</source>
        <translation>Desarrollado por</translation>
    </message>
    <message>
        <source>Tovani contributors</source>
        <translation>los colaboradores de Tovani</translation>
    </message>
    <message>
        <source>Open-source project</source>
        <translation>Proyecto de código abierto</translation>
    </message>
    <message>
        <source>Multiple reading guide styles</source>
        <translation>Varios estilos de guía de lectura</translation>
    </message>
    <message>
        <source>Customizable colors &amp; opacity</source>
        <translation>Colores y opacidad personalizables</translation>
    </message>
    <message>
        <source>Global keyboard shortcuts</source>
        <translation>Atajos de teclado globales</translation>
    </message>
    <message>
        <source>Multi-monitor support</source>
        <translation>Compatible con varios monitores</translation>
    </message>
    <message>
        <source>© 2026 Tovani contributors · GPL-3.0-or-later</source>
        <translation>© 2026 Colaboradores de Tovani · GPL-3.0-or-later</translation>
    </message>
</context>
<context>
    <name>AboutWindow</name>
    <message>
        <source>About Tovani</source>
        <translation>Acerca de Tovani</translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Settings not saved: %1</source>
        <translation>Ajustes no guardados: %1</translation>
    </message>
    <message>
        <source>Tovani</source>
        <translation>Tovani</translation>
    </message>
    <message>
        <source>Limited in a Wayland session</source>
        <translation>Limitado en una sesión de Wayland</translation>
    </message>
    <message>
        <source>You can also bind &quot;tovani toggle&quot;, &quot;tovani cycle-style&quot; and the other commands of &quot;tovani --help&quot; to shortcuts in your desktop&apos;s keyboard settings.</source>
        <translation>También puede asignar «tovani toggle», «tovani cycle-style» y los demás comandos de «tovani --help» a atajos en la configuración del teclado de su escritorio.</translation>
    </message>
    <message>
        <source>Tovani follows the pointer and answers its keyboard shortcuts only while the pointer is over windows of X11 programs. Over other windows the guide stays where it was.

To use Tovani everywhere, log in with an X11 session (often called &quot;Xorg&quot; on the login screen).</source>
        <translation>Tovani sigue al puntero y responde a sus atajos de teclado solo mientras el puntero está sobre ventanas de programas X11. Sobre otras ventanas, la guía se queda donde estaba.

Para usar Tovani en todas partes, inicie una sesión X11 (a menudo llamada «Xorg» en la pantalla de inicio de sesión).</translation>
    </message>
    <message>
        <source>Tovani runs on Wayland directly, where it cannot see the pointer outside its own windows or take global keyboard shortcuts, and the magnifier cannot show the screen: the guide does not follow the pointer.

Log in with an X11 session (often called &quot;Xorg&quot; on the login screen), or start Tovani with QT_QPA_PLATFORM=xcb to follow the pointer over X11 programs.</source>
        <translation>Tovani se ejecuta directamente en Wayland, donde no puede ver el puntero fuera de sus propias ventanas ni usar atajos de teclado globales, y la lupa no puede mostrar la pantalla: la guía no sigue al puntero.

Inicie una sesión X11 (a menudo llamada «Xorg» en la pantalla de inicio de sesión) o inicie Tovani con QT_QPA_PLATFORM=xcb para seguir al puntero sobre los programas X11.</translation>
    </message>
    <message>
        <source>Open Keyboard Settings</source>
        <translation>Abrir la configuración del teclado</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Más tarde</translation>
    </message>
    <message>
        <source>No system tray is available: use this window, the shortcuts or the tovani command.</source>
        <translation>No hay bandeja del sistema: use esta ventana, los atajos o el comando tovani.</translation>
    </message>
    <message>
        <source>The guide works without the pointer here</source>
        <translation>Aquí la guía funciona sin el puntero</translation>
    </message>
    <message>
        <source>This desktop does not tell programs where the pointer is, so the guide cannot follow it. It starts in the middle third of the screen, and you move it a line at a time with the commands &quot;tovani next-line&quot; and &quot;tovani previous-line&quot;.

Bind them, and &quot;tovani toggle&quot;, to keys in your desktop&apos;s settings: in sway, for example, add &quot;bindsym $mod+j exec tovani next-line&quot; to its configuration file.</source>
        <translation>Este escritorio no indica a los programas dónde está el puntero, así que la guía no puede seguirlo. Empieza en el tercio central de la pantalla y se mueve línea a línea con los comandos «tovani next-line» y «tovani previous-line».

Asígnelos, junto con «tovani toggle», a teclas en la configuración de su escritorio: en sway, por ejemplo, añada «bindsym $mod+j exec tovani next-line» a su archivo de configuración.</translation>
    </message>
    <message>
        <source>The guide is off</source>
        <translation>La guía está desactivada</translation>
    </message>
    <message>
        <source>Switch on Tovani&apos;s GNOME Shell extension?</source>
        <translation>¿Activar la extensión de GNOME Shell de Tovani?</translation>
    </message>
    <message>
        <source>GNOME Shell shows the guide through it, above every window, and follows the pointer. It is installed for you alone.</source>
        <translation>GNOME Shell muestra la guía a través de ella, encima de todas las ventanas, y la hace seguir al puntero. Se instala solo para usted.</translation>
    </message>
    <message>
        <source>Install</source>
        <translation>Instalar</translation>
    </message>
    <message>
        <source>Not Now</source>
        <translation>Ahora no</translation>
    </message>
    <message>
        <source>The extension could not be installed: %1</source>
        <translation>No se pudo instalar la extensión: %1</translation>
    </message>
    <message>
        <source>Log out and log in again once</source>
        <translation>Cierre la sesión y vuelva a entrar una vez</translation>
    </message>
    <message>
        <source>GNOME Shell starts new extensions only at log-in; from then on Tovani&apos;s guide shows and follows the pointer.</source>
        <translation>GNOME Shell solo inicia las extensiones nuevas al iniciar sesión; a partir de entonces la guía de Tovani aparece y sigue al puntero.</translation>
    </message>
    <message>
        <source>Stopped reading</source>
        <translation>Lectura detenida</translation>
    </message>
    <message>
        <source>Reading aloud needs Snap to Text Lines: switch it on in the preferences.</source>
        <translation>La lectura en voz alta necesita «Ajustar a las líneas de texto»: actívelo en las preferencias.</translation>
    </message>
    <message>
        <source>No text to read here: rest the pointer on a line in an application that reports its text.</source>
        <translation>Aquí no hay texto que leer: deje el puntero sobre una línea de una aplicación que informe de su texto.</translation>
    </message>
</context>
<context>
    <name>AppSettings</name>
    <message>
        <source>%1 is not a regular file</source>
        <translation>%1 no es un archivo normal</translation>
    </message>
    <message>
        <source>%1 is read-only</source>
        <translation>%1 es de solo lectura</translation>
    </message>
    <message>
        <source>cannot create the folder %1</source>
        <translation>no se puede crear la carpeta %1</translation>
    </message>
</context>
<context>
    <name>ColorWell</name>
    <message>
        <source>Custom colour</source>
        <translation>Color personalizado</translation>
    </message>
    <message>
        <source>Guide Colour</source>
        <translation>Color de la guía</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation>argumento inesperado «%1»</translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot;</source>
        <translation>opción desconocida «%1»</translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>comando desconocido «%1»</translation>
    </message>
    <message>
        <source>&quot;%1&quot; takes no argument</source>
        <translation>«%1» no admite argumentos</translation>
    </message>
    <message>
        <source>&quot;%1&quot; takes one style: %2</source>
        <translation>«%1» admite un estilo: %2</translation>
    </message>
    <message>
        <source>unknown style &quot;%1&quot;</source>
        <translation>estilo desconocido «%1»</translation>
    </message>
    <message>
        <source>STYLE</source>
        <translation>ESTILO</translation>
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
        <translation>Uso: tovani [COMANDO]

Una guía de lectura que sigue al puntero. Sin comando, inicia Tovani
(o abre las preferencias de la instancia que ya está en ejecución).

Comandos, enviados a la instancia en ejecución (que se inicia antes si hace
falta):
%1
Opciones:
  -h, --help          muestra esta ayuda
  -v, --version       muestra la versión

Estado de salida: 0 si todo va bien, 1 si no se pudo contactar con la
instancia en ejecución, 2 si el comando o el argumento son desconocidos o si
un cambio no se guardó.
</translation>
    </message>
</context>
<context>
    <name>CommandRegistry</name>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>comando desconocido «%1»</translation>
    </message>
    <message>
        <source>unknown style &quot;%1&quot;</source>
        <translation>estilo desconocido «%1»</translation>
    </message>
    <message>
        <source>the change was not saved: %1</source>
        <translation>el cambio no se ha guardado: %1</translation>
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
        <translation>activar o desactivar la guía de lectura</translation>
    </message>
    <message>
        <source>Toggle guide</source>
        <translation>Activar/desactivar la guía</translation>
    </message>
    <message>
        <source>Enable Reading Guide</source>
        <translation>Activar la guía de lectura</translation>
    </message>
    <message>
        <source>Reading Guide Enabled</source>
        <translation>Guía de lectura activada</translation>
    </message>
    <message>
        <source>show or hide the crosshair brackets</source>
        <translation>mostrar u ocultar los corchetes en cruz</translation>
    </message>
    <message>
        <source>Crosshair Brackets</source>
        <translation>Corchetes en cruz</translation>
    </message>
    <message>
        <source>switch the magnifier on or off</source>
        <translation>activar o desactivar la lupa</translation>
    </message>
    <message>
        <source>Magnifier</source>
        <translation>Lupa</translation>
    </message>
    <message>
        <source>switch to a style: %1</source>
        <translation>cambiar a un estilo: %1</translation>
    </message>
    <message>
        <source>Switch style</source>
        <translation>Cambiar de estilo</translation>
    </message>
    <message>
        <source>Style</source>
        <translation>Estilo</translation>
    </message>
    <message>
        <source>switch to the next style</source>
        <translation>cambiar al siguiente estilo</translation>
    </message>
    <message>
        <source>Cycle styles</source>
        <translation>Recorrer los estilos</translation>
    </message>
    <message>
        <source>make the guide 5 points thicker</source>
        <translation>hacer la guía 5 puntos más gruesa</translation>
    </message>
    <message>
        <source>Thicker guide</source>
        <translation>Guía más gruesa</translation>
    </message>
    <message>
        <source>make the guide 5 points thinner</source>
        <translation>hacer la guía 5 puntos más fina</translation>
    </message>
    <message>
        <source>Thinner guide</source>
        <translation>Guía más fina</translation>
    </message>
    <message>
        <source>open the preferences window</source>
        <translation>abrir la ventana de preferencias</translation>
    </message>
    <message>
        <source>Preferences...</source>
        <translation>Preferencias…</translation>
    </message>
    <message>
        <source>Launch at Login</source>
        <translation>Abrir al iniciar sesión</translation>
    </message>
    <message>
        <source>open the About window</source>
        <translation>abrir la ventana «Acerca de»</translation>
    </message>
    <message>
        <source>About Tovani</source>
        <translation>Acerca de Tovani</translation>
    </message>
    <message>
        <source>end the running copy</source>
        <translation>cerrar la instancia en ejecución</translation>
    </message>
    <message>
        <source>Quit Tovani</source>
        <translation>Salir de Tovani</translation>
    </message>
    <message>
        <source>%1, %2 or 1-%3</source>
        <translation>%1, %2 o 1-%3</translation>
    </message>
    <message>
        <source>move the guide to the next line of text</source>
        <translation>mover la guía a la siguiente línea de texto</translation>
    </message>
    <message>
        <source>Next line</source>
        <translation>Línea siguiente</translation>
    </message>
    <message>
        <source>Next Line</source>
        <translation>Línea siguiente</translation>
    </message>
    <message>
        <source>move the guide to the previous line of text</source>
        <translation>mover la guía a la línea de texto anterior</translation>
    </message>
    <message>
        <source>Previous line</source>
        <translation>Línea anterior</translation>
    </message>
    <message>
        <source>Previous Line</source>
        <translation>Línea anterior</translation>
    </message>
    <message>
        <source>lock the guide in place, or unlock it</source>
        <translation>bloquear la guía en su sitio, o desbloquearla</translation>
    </message>
    <message>
        <source>Lock guide</source>
        <translation>Bloquear la guía</translation>
    </message>
    <message>
        <source>Lock Guide</source>
        <translation>Bloquear la guía</translation>
    </message>
    <message>
        <source>Guide Locked</source>
        <translation>Guía bloqueada</translation>
    </message>
    <message>
        <source>print how Tovani reaches the desktop: its backend and pointer</source>
        <translation>mostrar cómo Tovani accede al escritorio: su backend y su puntero</translation>
    </message>
    <message>
        <source>Guide locked</source>
        <translation>Guía bloqueada</translation>
    </message>
    <message>
        <source>Guide unlocked</source>
        <translation>Guía desbloqueada</translation>
    </message>
    <message>
        <source>Reading aloud</source>
        <translation>Leyendo en voz alta</translation>
    </message>
    <message>
        <source>Stopped reading</source>
        <translation>Lectura detenida</translation>
    </message>
    <message>
        <source>read aloud from the guide&apos;s line on, line after line, or stop</source>
        <translation>leer en voz alta desde la línea de la guía, línea tras línea, o parar</translation>
    </message>
    <message>
        <source>Read aloud</source>
        <translation>Leer en voz alta</translation>
    </message>
    <message>
        <source>Read Aloud</source>
        <translation>Leer en voz alta</translation>
    </message>
    <message>
        <source>Stop Reading</source>
        <translation>Dejar de leer</translation>
    </message>
</context>
<context>
    <name>LaunchAtLogin</name>
    <message>
        <source>unknown error</source>
        <translation>error desconocido</translation>
    </message>
    <message>
        <source>Failed to enable launch at login: %1</source>
        <translation>No se pudo activar el inicio automático: %1</translation>
    </message>
    <message>
        <source>Failed to disable launch at login: %1</source>
        <translation>No se pudo desactivar el inicio automático: %1</translation>
    </message>
</context>
<context>
    <name>LineStyle</name>
    <message>
        <source>Underline</source>
        <translation>Subrayado</translation>
    </message>
    <message>
        <source>Highlight Bar</source>
        <translation>Resaltador</translation>
    </message>
    <message>
        <source>Focus Window</source>
        <translation>Ventana de enfoque</translation>
    </message>
    <message>
        <source>Ruler</source>
        <translation>Regla</translation>
    </message>
    <message>
        <source>Reading Strip</source>
        <translation>Franja de lectura</translation>
    </message>
</context>
<context>
    <name>MagnifierView</name>
    <message>
        <source>Needs an X11 session</source>
        <translation>Requiere una sesión X11</translation>
    </message>
    <message>
        <source>Screen capture unavailable</source>
        <translation>Captura de pantalla no disponible</translation>
    </message>
    <message>
        <source>Unavailable on Wayland for now</source>
        <translation>No disponible en Wayland por ahora</translation>
    </message>
    <message>
        <source>KWin did not say whether it can magnify the screen</source>
        <translation>KWin no ha indicado si puede ampliar la pantalla</translation>
    </message>
    <message>
        <source>KWin&apos;s magnifier needs KWin to draw with OpenGL, which it does not here</source>
        <translation>La lupa de KWin necesita que KWin dibuje con OpenGL, y aquí no lo hace</translation>
    </message>
</context>
<context>
    <name>MagnifierWindow</name>
    <message>
        <source>Tovani Magnifier</source>
        <translation>Lupa de Tovani</translation>
    </message>
</context>
<context>
    <name>Platform</name>
    <message>
        <source>cannot write in %1: %2</source>
        <translation>no se puede escribir en %1: %2</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>no se puede escribir %1: %2</translation>
    </message>
    <message>
        <source>Tovani Guide</source>
        <translation>Guía de Tovani</translation>
    </message>
    <message>
        <source>cannot open the X display &quot;%1&quot; (is the X server running, and may this user use it?)</source>
        <translation>no se puede abrir la pantalla X «%1» (¿está en marcha el servidor X y puede usarlo este usuario?)</translation>
    </message>
    <message>
        <source>the program&apos;s path holds a control character such as a line break, which an autostart entry cannot hold; move Tovani to a folder whose path has none</source>
        <translation>la ruta del programa contiene un carácter de control, como un salto de línea, que una entrada de inicio automático no admite; mueva Tovani a una carpeta cuya ruta no tenga ninguno</translation>
    </message>
    <message>
        <source>the program&apos;s path %1 holds &quot;%2&quot;, from which session launchers cannot start it; move Tovani to a folder whose path has none of % \ &quot; &apos; $ `</source>
        <translation>la ruta del programa %1 contiene «%2», por lo que los lanzadores de sesión no pueden iniciarlo; mueva Tovani a una carpeta cuya ruta no tenga ninguno de % \ &quot; &apos; $ `</translation>
    </message>
    <message>
        <source>the location of the program is unknown</source>
        <translation>se desconoce la ubicación del programa</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 no es una carpeta</translation>
    </message>
    <message>
        <source>could not create the folder %1</source>
        <translation>no se pudo crear la carpeta %1</translation>
    </message>
    <message>
        <source>%1 is a folder</source>
        <translation>%1 es una carpeta</translation>
    </message>
    <message>
        <source>could not remove %1: %2</source>
        <translation>no se pudo eliminar %1: %2</translation>
    </message>
    <message>
        <source>Screen capture on Wayland needs the desktop&apos;s permission, which Tovani cannot ask for yet</source>
        <translation>La captura de pantalla en Wayland necesita el permiso del escritorio, que Tovani aún no puede pedir</translation>
    </message>
    <message>
        <source>To use a shortcut, bind a key to the command &quot;tovani toggle&quot; (or another command) in System Settings &gt; Shortcuts &gt; Custom Shortcuts.</source>
        <translation>Para usar un atajo, asigne una tecla al comando «tovani toggle» (u otro comando) en Preferencias del sistema &gt; Accesos rápidos &gt; Accesos rápidos personalizados.</translation>
    </message>
    <message>
        <source>To use a shortcut, bind a key to the command &quot;tovani toggle&quot; (or another command) in Settings &gt; Keyboard &gt; Keyboard Shortcuts &gt; Custom Shortcuts.</source>
        <translation>Para usar un atajo, asigne una tecla al comando «tovani toggle» (u otro comando) en Configuración &gt; Teclado &gt; Atajos de teclado &gt; Atajos personalizados.</translation>
    </message>
    <message>
        <source>To use a shortcut, add a line such as &quot;bindsym Ctrl+Shift+r exec tovani toggle&quot; to sway&apos;s configuration file (~/.config/sway/config).</source>
        <translation>Para usar un atajo, añada una línea como «bindsym Ctrl+Shift+r exec tovani toggle» al archivo de configuración de sway (~/.config/sway/config).</translation>
    </message>
    <message>
        <source>To use a shortcut, add a line such as &quot;bind = CTRL SHIFT, R, exec, tovani toggle&quot; to Hyprland&apos;s configuration file (~/.config/hypr/hyprland.conf).</source>
        <translation>Para usar un atajo, añada una línea como «bind = CTRL SHIFT, R, exec, tovani toggle» al archivo de configuración de Hyprland (~/.config/hypr/hyprland.conf).</translation>
    </message>
    <message>
        <source>To use a shortcut, bind a key to the command &quot;tovani toggle&quot; (or another command) in your desktop&apos;s keyboard settings or configuration file.</source>
        <translation>Para usar un atajo, asigne una tecla al comando «tovani toggle» (u otro comando) en la configuración del teclado o el archivo de configuración de su escritorio.</translation>
    </message>
    <message>
        <source>GNOME Shell gives no program a picture of the screen without asking each time</source>
        <translation>GNOME Shell no da a ningún programa una imagen de la pantalla sin preguntar cada vez</translation>
    </message>
    <message>
        <source>could not write %1</source>
        <translation>no se pudo escribir %1</translation>
    </message>
    <message>
        <source>the gsettings program is missing</source>
        <translation>falta el programa gsettings</translation>
    </message>
    <message>
        <source>gsettings failed: %1</source>
        <translation>gsettings falló: %1</translation>
    </message>
    <message>
        <source>it speaks version %1 of Tovani&apos;s interface, this Tovani version %2; log out and log in again to load the one installed with Tovani</source>
        <translation>habla la versión %1 de la interfaz de Tovani y este Tovani la versión %2; cierre la sesión y vuelva a entrar para cargar la instalada con Tovani</translation>
    </message>
    <message>
        <source>GNOME Shell does not answer (%1)</source>
        <translation>GNOME Shell no responde (%1)</translation>
    </message>
    <message>
        <source>it does not support this version of GNOME Shell</source>
        <translation>no admite esta versión de GNOME Shell</translation>
    </message>
    <message>
        <source>GNOME Shell shows the guide through Tovani&apos;s extension.</source>
        <translation>GNOME Shell muestra la guía a través de la extensión de Tovani.</translation>
    </message>
    <message>
        <source>GNOME Shell is starting Tovani&apos;s extension.</source>
        <translation>GNOME Shell está iniciando la extensión de Tovani.</translation>
    </message>
    <message>
        <source>Tovani shows its guide on GNOME through a small extension of GNOME Shell, which is not installed yet.</source>
        <translation>En GNOME, Tovani muestra su guía a través de una pequeña extensión de GNOME Shell que aún no está instalada.</translation>
    </message>
    <message>
        <source>Tovani&apos;s GNOME Shell extension is switched off.</source>
        <translation>La extensión de GNOME Shell de Tovani está desactivada.</translation>
    </message>
    <message>
        <source>Log out and log in again once: GNOME Shell starts Tovani&apos;s extension at log-in.</source>
        <translation>Cierre la sesión y vuelva a entrar una vez: GNOME Shell inicia la extensión de Tovani al iniciar sesión.</translation>
    </message>
    <message>
        <source>GNOME Shell could not run Tovani&apos;s extension: %1</source>
        <translation>GNOME Shell no pudo ejecutar la extensión de Tovani: %1</translation>
    </message>
    <message>
        <source>Tovani&apos;s files do not include the extension</source>
        <translation>los archivos de Tovani no incluyen la extensión</translation>
    </message>
    <message>
        <source>GNOME Shell&apos;s list of extensions is unreadable: %1</source>
        <translation>la lista de extensiones de GNOME Shell es ilegible: %1</translation>
    </message>
    <message>
        <source>Extensions are switched off in GNOME&apos;s Extensions app (&quot;Use Extensions&quot;); switch them on to see Tovani&apos;s guide.</source>
        <translation>Las extensiones están desactivadas en la aplicación Extensiones de GNOME («Usar extensiones»); actívelas para ver la guía de Tovani.</translation>
    </message>
    <message>
        <source>another program holds its name on the session bus</source>
        <translation>otro programa tiene su nombre en el bus de sesión</translation>
    </message>
    <message>
        <source>Another program holds Tovani&apos;s name on the session bus (%1), so Tovani does not use its GNOME Shell extension; quit that program to see the guide.</source>
        <translation>Otro programa tiene el nombre de Tovani en el bus de sesión (%1), así que Tovani no usa su extensión de GNOME Shell; cierre ese programa para ver la guía.</translation>
    </message>
    <message>
        <source>Line steps, the lock and snapping to text lines need the newer Tovani extension that came with this Tovani: log out and log in again to load it.</source>
        <translation>Los saltos de línea, el bloqueo y el ajuste a las líneas de texto necesitan la extensión de Tovani más reciente que vino con este Tovani: cierre la sesión y vuelva a iniciarla para cargarla.</translation>
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
        <translation>Guía de lectura rápida para Linux</translation>
    </message>
    <message>
        <source>to toggle</source>
        <translation>para alternar</translation>
    </message>
    <message>
        <source>Style</source>
        <translation>Estilo</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>%1 - %2</source>
        <extracomment>A swatch&apos;s tooltip: the colour&apos;s name and what it suits</extracomment>
        <translation>%1 – %2</translation>
    </message>
    <message>
        <source>Appearance</source>
        <translation>Apariencia</translation>
    </message>
    <message>
        <source>Opacity</source>
        <translation>Opacidad</translation>
    </message>
    <message>
        <source>Thickness</source>
        <translation>Grosor</translation>
    </message>
    <message>
        <source>Reading line height</source>
        <translation>Altura de la línea de lectura</translation>
    </message>
    <message>
        <source>Tip: Increase thickness for thicker colored bands</source>
        <translation>Consejo: aumente el grosor para obtener bandas de color más anchas</translation>
    </message>
    <message>
        <source>Vertical Brackets</source>
        <translation>Corchetes verticales</translation>
    </message>
    <message>
        <source>Crosshair-style reading zone</source>
        <translation>Zona de lectura en cruz</translation>
    </message>
    <message>
        <source>Bracket width</source>
        <translation>Anchura de los corchetes</translation>
    </message>
    <message>
        <source>Magnifier</source>
        <translation>Lupa</translation>
    </message>
    <message>
        <source>Zoom on text around cursor</source>
        <translation>Amplía el texto alrededor del puntero</translation>
    </message>
    <message>
        <source>Zoom level</source>
        <translation>Nivel de zoom</translation>
    </message>
    <message>
        <source>General</source>
        <translation>General</translation>
    </message>
    <message>
        <source>Launch at Login</source>
        <translation>Abrir al iniciar sesión</translation>
    </message>
    <message>
        <source>Start Tovani when you log in</source>
        <translation>Abrir Tovani al iniciar sesión</translation>
    </message>
    <message>
        <source>Global Keyboard Shortcuts</source>
        <translation>Atajos de teclado globales</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Restablecer</translation>
    </message>
    <message>
        <source>Reset Settings</source>
        <translation>Restablecer ajustes</translation>
    </message>
    <message>
        <source>Restore all settings to defaults</source>
        <translation>Volver a los valores predeterminados</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vista previa</translation>
    </message>
    <message>
        <source>Reset to Defaults?</source>
        <translation>¿Restablecer los valores predeterminados?</translation>
    </message>
    <message>
        <source>This will restore all settings to their default values.</source>
        <translation>Todos los ajustes volverán a sus valores predeterminados.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>%1, %2, %3, %4</source>
        <extracomment>The global shortcuts, as in &quot;Ctrl+1-5, Ctrl+Shift+R, Ctrl+Shift+T, Ctrl+Shift++/-&quot;</extracomment>
        <translation>%1, %2, %3, %4</translation>
    </message>
    <message>
        <source>Text Lines</source>
        <translation>Líneas de texto</translation>
    </message>
    <message>
        <source>Snap to Text Lines</source>
        <translation>Ajustar a las líneas de texto</translation>
    </message>
    <message>
        <source>Settle on the line the pointer rests on</source>
        <translation>Se coloca en la línea donde se detiene el puntero</translation>
    </message>
    <message>
        <source>Follow the Text Cursor</source>
        <translation>Seguir el cursor de texto</translation>
    </message>
    <message>
        <source>Go to the line you type on</source>
        <translation>Va a la línea en la que escribe</translation>
    </message>
    <message>
        <source>Line Keys</source>
        <translation>Teclas de línea</translation>
    </message>
    <message>
        <source>Restart Qt applications to let Tovani see their text</source>
        <translation>Reinicie las aplicaciones Qt para que Tovani vea su texto</translation>
    </message>
    <message>
        <source>Rest the pointer on a line of text and the guide settles on it, as tall as the line. Where an application does not report its text, it stays at the pointer.</source>
        <translation>Deje el puntero sobre una línea de texto y la guía se coloca en ella, con la altura de la línea. Si una aplicación no informa de su texto, se queda en el puntero.</translation>
    </message>
    <message>
        <source>When you type or move the text cursor, the guide goes to its line; move the pointer to take the guide back.</source>
        <translation>Cuando escribe o mueve el cursor de texto, la guía va a su línea; mueva el puntero para recuperarla.</translation>
    </message>
    <message>
        <source>The guide stays at the pointer, and Tovani does not ask applications where their text is.</source>
        <translation>La guía se queda en el puntero y Tovani no pregunta a las aplicaciones dónde está su texto.</translation>
    </message>
    <message>
        <source>The line keys move the guide a line down or up without moving the text cursor, and lock it in place until you press them again.</source>
        <translation>Las teclas de línea mueven la guía una línea abajo o arriba sin mover el cursor de texto, y la bloquean en su sitio hasta que las vuelva a pulsar.</translation>
    </message>
    <message>
        <source>With the line keys and Global Keyboard Shortcuts on, keys move the guide a line down or up and lock it; &quot;tovani next-line&quot;, &quot;tovani previous-line&quot; and &quot;tovani lock&quot; do it from anywhere.</source>
        <translation>Con las teclas de línea y los atajos de teclado globales activados, unas teclas mueven la guía una línea abajo o arriba y la bloquean; «tovani next-line», «tovani previous-line» y «tovani lock» lo hacen desde cualquier lugar.</translation>
    </message>
    <message>
        <source>Reading aloud starts on the line the guide settled on: switch on Snap to Text Lines to use it.</source>
        <translation>La lectura empieza en la línea en la que se asentó la guía: active «Ajustar a las líneas de texto» para usarla.</translation>
    </message>
    <message>
        <source>%1 or &quot;tovani read-aloud&quot;</source>
        <translation>%1 o «tovani read-aloud»</translation>
    </message>
    <message>
        <source>%1 reads the guide&apos;s line aloud, then moves the guide on line after line; give it again or move the pointer to stop.</source>
        <translation>%1 lee en voz alta la línea de la guía y luego avanza la guía línea tras línea; repítalo o mueva el puntero para parar.</translation>
    </message>
    <message>
        <source>Read Aloud</source>
        <translation>Leer en voz alta</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Velocidad</translation>
    </message>
    <message>
        <source>Usual</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Voice</source>
        <translation>Voz</translation>
    </message>
    <message>
        <source>One of speech-dispatcher&apos;s voices</source>
        <translation>Una de las voces de speech-dispatcher</translation>
    </message>
    <message>
        <source>Default voice</source>
        <translation>Voz predeterminada</translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Tovani Preferences</source>
        <translation>Preferencias de Tovani</translation>
    </message>
</context>
<context>
    <name>PresetColor</name>
    <message>
        <source>Amber</source>
        <translation>Ámbar</translation>
    </message>
    <message>
        <source>Best for light mode</source>
        <translation>Ideal para el modo claro</translation>
    </message>
    <message>
        <source>Gold</source>
        <translation>Oro</translation>
    </message>
    <message>
        <source>Peach</source>
        <translation>Melocotón</translation>
    </message>
    <message>
        <source>Gentle on eyes</source>
        <translation>Suave para la vista</translation>
    </message>
    <message>
        <source>Coral</source>
        <translation>Coral</translation>
    </message>
    <message>
        <source>High contrast</source>
        <translation>Alto contraste</translation>
    </message>
    <message>
        <source>Cyan</source>
        <translation>Cian</translation>
    </message>
    <message>
        <source>Best for dark mode</source>
        <translation>Ideal para el modo oscuro</translation>
    </message>
    <message>
        <source>Mint</source>
        <translation>Menta</translation>
    </message>
    <message>
        <source>Lime</source>
        <translation>Lima</translation>
    </message>
    <message>
        <source>Sky</source>
        <translation>Celeste</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rojo</translation>
    </message>
    <message>
        <source>High visibility</source>
        <translation>Alta visibilidad</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>Naranja</translation>
    </message>
    <message>
        <source>Warm, visible</source>
        <translation>Cálido y visible</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Azul</translation>
    </message>
    <message>
        <source>Calming</source>
        <translation>Relajante</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Morado</translation>
    </message>
    <message>
        <source>Soft contrast</source>
        <translation>Contraste suave</translation>
    </message>
    <message>
        <source>Ruler</source>
        <translation>Regla</translation>
    </message>
    <message>
        <source>Classic ruler</source>
        <translation>Regla clásica</translation>
    </message>
    <message>
        <source>Steel</source>
        <translation>Acero</translation>
    </message>
    <message>
        <source>Subtle</source>
        <translation>Discreto</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>Gris</translation>
    </message>
    <message>
        <source>Minimal</source>
        <translation>Minimalista</translation>
    </message>
</context>
<context>
    <name>PreviewPanel</name>
    <message>
        <source>Preview</source>
        <translation>Vista previa</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 no es una carpeta</translation>
    </message>
    <message>
        <source>%1 belongs to another user</source>
        <translation>%1 pertenece a otro usuario</translation>
    </message>
    <message>
        <source>%1 has mode %2, not 0700</source>
        <translation>%1 tiene los permisos %2, no 0700</translation>
    </message>
    <message>
        <source>%1 is not an absolute path</source>
        <translation>%1 no es una ruta absoluta</translation>
    </message>
    <message>
        <source>XDG_RUNTIME_DIR is not private (%1)</source>
        <translation>XDG_RUNTIME_DIR no es privado (%1)</translation>
    </message>
    <message>
        <source>the path %1 is longer than the %2 bytes a socket address takes</source>
        <translation>la ruta %1 supera los %2 bytes que admite una dirección de socket</translation>
    </message>
    <message>
        <source>cannot create %1: %2</source>
        <translation>no se puede crear %1: %2</translation>
    </message>
    <message>
        <source>no private folder for the control socket: %1</source>
        <translation>no hay carpeta privada para el socket de control: %1</translation>
    </message>
    <message>
        <source>cannot create the lock file %1.lock</source>
        <translation>no se puede crear el archivo de bloqueo %1.lock</translation>
    </message>
    <message>
        <source>cannot replace %1</source>
        <translation>no se puede reemplazar %1</translation>
    </message>
    <message>
        <source>the path %1 is too long for a socket</source>
        <translation>la ruta %1 es demasiado larga para un socket</translation>
    </message>
    <message>
        <source>cannot listen on %1: %2</source>
        <translation>no se puede escuchar en %1: %2</translation>
    </message>
    <message>
        <source>not ready</source>
        <translation>todavía no está listo</translation>
    </message>
    <message>
        <source>%1 belongs to another user; not connecting to it</source>
        <translation>%1 pertenece a otro usuario; no se conecta</translation>
    </message>
</context>
<context>
    <name>TovaniApp</name>
    <message>
        <source>the running copy did not answer</source>
        <translation>la instancia en ejecución no ha respondido</translation>
    </message>
    <message>
        <source>the running copy (process %1) does not answer</source>
        <translation>la instancia en ejecución (proceso %1) no responde</translation>
    </message>
    <message>
        <source>tovani %1 (build %2)</source>
        <translation>tovani %1 (compilación %2)</translation>
    </message>
    <message>
        <source>Try &quot;tovani --help&quot;.</source>
        <translation>Pruebe «tovani --help».</translation>
    </message>
    <message>
        <source>%1; using %2 instead</source>
        <translation>%1; se usa %2 en su lugar</translation>
    </message>
    <message>
        <source>a private folder</source>
        <translation>una carpeta privada</translation>
    </message>
    <message>
        <source>not running</source>
        <translation>no se está ejecutando</translation>
    </message>
    <message>
        <source>no display to draw on (DISPLAY is not set)</source>
        <translation>no hay pantalla en la que dibujar (DISPLAY no está definido)</translation>
    </message>
    <message>
        <source>starting up</source>
        <translation>iniciándose</translation>
    </message>
</context>
<context>
    <name>TrayMenu</name>
    <message>
        <source>Shortcuts:</source>
        <translation>Atajos:</translation>
    </message>
    <message>
        <source> (in use)</source>
        <translation> (en uso)</translation>
    </message>
    <message>
        <source>Tovani (%1)
Style: %2</source>
        <translation>Tovani (%1)
Estilo: %2</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>ACTIVADO</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>DESACTIVADO</translation>
    </message>
    <message>
        <source>%1 to toggle</source>
        <translation>%1 para alternar</translation>
    </message>
</context>
<context>
    <name>speech</name>
    <message>
        <source>End of text</source>
        <translation>Fin del texto</translation>
    </message>
    <message>
        <source>Stopped reading</source>
        <translation>Lectura detenida</translation>
    </message>
    <message>
        <source>Reading aloud needs speech-dispatcher: install the package &quot;speech-dispatcher&quot;.</source>
        <translation>La lectura en voz alta necesita speech-dispatcher: instale el paquete «speech-dispatcher».</translation>
    </message>
    <message>
        <source>speech-dispatcher does not answer; reading aloud stopped.</source>
        <translation>speech-dispatcher no responde; la lectura en voz alta se ha detenido.</translation>
    </message>
    <message>
        <source>speech-dispatcher gave an answer Tovani does not understand; reading aloud stopped.</source>
        <translation>speech-dispatcher dio una respuesta que Tovani no entiende; la lectura en voz alta se ha detenido.</translation>
    </message>
    <message>
        <source>speech-dispatcher went away; reading aloud stopped.</source>
        <translation>speech-dispatcher ya no está; la lectura en voz alta se ha detenido.</translation>
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
