<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>AlarmsDialog</name>
    <message>
        <source>Alarms</source>
        <translation>Alarmas</translation>
    </message>
    <message>
        <source>Disabled</source>
        <translation>Desactivada</translation>
    </message>
    <message>
        <source>Normally Open</source>
        <translation>Normalmente abierta</translation>
    </message>
    <message>
        <source>Normally Closed</source>
        <translation>Normalmente cerrada</translation>
    </message>
    <message>
        <source>State Change</source>
        <translation>Cambio de estado</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Tipo</translation>
    </message>
    <message>
        <source>1st Pager</source>
        <translation>1.er busca</translation>
    </message>
    <message>
        <source>Delay</source>
        <translation>Retardo</translation>
    </message>
    <message>
        <source>Escalation</source>
        <translation>Escalado</translation>
    </message>
    <message>
        <source>2nd Pager</source>
        <translation>2.º busca</translation>
    </message>
    <message>
        <source>Tone</source>
        <translation>Tono</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Mensaje</translation>
    </message>
    <message>
        <source>Send Reset</source>
        <translation>Enviar reinicio</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Aceptar</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancelar</translation>
    </message>
</context>
<context>
    <name>AtomicFile</name>
    <message>
        <source>%1 is not a regular file; it was left as it is.</source>
        <translation>%1 no es un archivo normal; se ha dejado como estaba.</translation>
    </message>
</context>
<context>
    <name>BlockTransfer</name>
    <message>
        <source>Error: Bad Checksum!</source>
        <translation>Error: ¡Suma de control incorrecta!</translation>
    </message>
    <message>
        <source>No response from unit.</source>
        <translation>La unidad no responde.</translation>
    </message>
    <message>
        <source>The connection to the unit was lost.</source>
        <translation>Se ha perdido la conexión con la unidad.</translation>
    </message>
</context>
<context>
    <name>CoasterPanel</name>
    <message>
        <source>&amp;Beep</source>
        <translation>&amp;Pitido</translation>
    </message>
    <message>
        <source>&amp;Flash</source>
        <translation>&amp;Destello</translation>
    </message>
    <message>
        <source>&amp;Vibrate</source>
        <translation>&amp;Vibrar</translation>
    </message>
    <message>
        <source>&amp;Range</source>
        <translation>&amp;Alcance</translation>
    </message>
    <message>
        <source>L&amp;ocate</source>
        <translation>&amp;Localizar</translation>
    </message>
    <message>
        <source>Coasters</source>
        <translation>Posavasos</translation>
    </message>
</context>
<context>
    <name>CommonMessagesDialog</name>
    <message>
        <source>Common Messages</source>
        <translation>Mensajes comunes</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Aceptar</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Cerrar</translation>
    </message>
</context>
<context>
    <name>DataExchange</name>
    <message>
        <source>Please enter an integer.</source>
        <translation>Introduzca un número entero.</translation>
    </message>
    <message>
        <source>Please enter an integer between %1 and %2.</source>
        <translation>Introduzca un número entero entre %1 y %2.</translation>
    </message>
    <message>
        <source>Please enter no more than %1 characters.</source>
        <translation>Introduzca %1 caracteres como máximo.</translation>
    </message>
    <message>
        <source>Please enter a positive integer.</source>
        <translation>Introduzca un entero positivo.</translation>
    </message>
</context>
<context>
    <name>DatabaseCommands</name>
    <message>
        <source>All</source>
        <translation>Todos</translation>
    </message>
    <message>
        <source>Do You wish to save your current database?</source>
        <translation>¿Desea guardar la base de datos actual?</translation>
    </message>
    <message>
        <source>The database could not be saved to %1.
%2</source>
        <translation>No se pudo guardar la base de datos en %1.
%2</translation>
    </message>
    <message>
        <source>The pager and group names could not be saved to %1.
%2</source>
        <translation>No se pudieron guardar los nombres de buscapersonas y grupos en %1.
%2</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Nuevo</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Abrir</translation>
    </message>
    <message>
        <source>%1 could not be opened as a Tavolux database.</source>
        <translation>No se pudo abrir %1 como base de datos de Tavolux.</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Guardar como</translation>
    </message>
    <message>
        <source>The database file %1 is damaged (its checksum is wrong).
The default contents have been loaded instead.</source>
        <translation>El archivo de base de datos %1 está dañado (su suma de control es incorrecta).
Se ha cargado en su lugar el contenido predeterminado.</translation>
    </message>
    <message>
        <source>The damaged file could not be copied; do not save over it if you need it.</source>
        <translation>No se pudo copiar el archivo dañado; no guarde encima de él si lo necesita.</translation>
    </message>
    <message>
        <source>The damaged file has been kept as %1.</source>
        <translation>El archivo dañado se ha conservado como %1.</translation>
    </message>
    <message>
        <source>Tavolux was ended while %1 had unsaved changes. They were kept in %2.
Do you want to open them now? They become unsaved changes to %1.</source>
        <translation>Tavolux se cerró mientras %1 tenía cambios sin guardar. Se conservaron en %2.
¿Desea abrirlos ahora? Pasarán a ser cambios sin guardar de %1.</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>no es un archivo normal</translation>
    </message>
    <message>
        <source>it cannot be opened for reading and writing (%1)</source>
        <translation>no se puede abrir para leer y escribir (%1)</translation>
    </message>
    <message>
        <source>it has the version byte %1, not %2</source>
        <translation>su byte de versión es %1, no %2</translation>
    </message>
    <message>
        <source>it is too short (%1 bytes; a database file has %2)</source>
        <translation>es demasiado corto (%1 bytes; un archivo de base de datos tiene %2)</translation>
    </message>
    <message>
        <source>The database file %1 could not be read: %2.
The console has started with the default contents. The file is left as it is; Save asks for a name until you choose a file.</source>
        <translation>No se pudo leer el archivo de base de datos %1: %2.
La consola se ha iniciado con el contenido predeterminado. El archivo se deja como está; Guardar pide un nombre hasta que elija un archivo.</translation>
    </message>
    <message>
        <source>A copy of it has been kept as %1.</source>
        <translation>Se ha guardado una copia como %1.</translation>
    </message>
</context>
<context>
    <name>ExportDialog</name>
    <message>
        <source>Export &amp;all columns</source>
        <translation>Exportar &amp;todas las columnas</translation>
    </message>
    <message>
        <source>C&amp;olumns</source>
        <translation>C&amp;olumnas</translation>
    </message>
    <message>
        <source>Include &amp;Header row</source>
        <translation>Incluir fila de &amp;encabezado</translation>
    </message>
    <message>
        <source>&amp;Limit to</source>
        <translation>&amp;Limitar a</translation>
    </message>
    <message>
        <source>E&amp;xport</source>
        <translation>E&amp;xportar</translation>
    </message>
    <message>
        <source>&amp;File Name</source>
        <translation>&amp;Nombre de archivo</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancelar</translation>
    </message>
    <message>
        <source>output data rows</source>
        <translation>filas de datos</translation>
    </message>
    <message>
        <source>Export Contact Details to File</source>
        <translation>Exportar datos de contacto a un archivo</translation>
    </message>
    <message>
        <source>Tab Separated Values (*.tsv)</source>
        <translation>Valores separados por tabuladores (*.tsv)</translation>
    </message>
    <message>
        <source>Text Files (*.txt)</source>
        <translation>Archivos de texto (*.txt)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Todos los archivos (*)</translation>
    </message>
    <message>
        <source>Please enter an integer.</source>
        <translation>Introduzca un número entero.</translation>
    </message>
</context>
<context>
    <name>FirmwareLoader</name>
    <message>
        <source>Please turn ON the power to the unit to enable the boot loader</source>
        <translation>Encienda la unidad para activar el cargador de arranque</translation>
    </message>
    <message>
        <source>Connect.  Sending firmware...</source>
        <translation>Conectado.  Enviando el firmware...</translation>
    </message>
    <message>
        <source>Firmware load complete.  %1 lines sent</source>
        <translation>Carga del firmware terminada.  %1 líneas enviadas</translation>
    </message>
    <message>
        <source>Warning: No end of record in Intel Hex file</source>
        <translation>Aviso: el archivo Intel Hex no tiene registro de fin</translation>
    </message>
    <message>
        <source>Checksum error reported for line %1.  Aborting</source>
        <translation>Error de suma de comprobación en la línea %1.  Se anula</translation>
    </message>
    <message>
        <source>Invalid page error reported for line %1.  Aborting</source>
        <translation>Error de página no válida en la línea %1.  Se anula</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Unrecognised output, please;
1.)Turn OFF the unit.
2.)Hit OK
3.)Turn ON the unit.</source>
        <translation>Salida no reconocida, por favor:
1.)Apague la unidad.
2.)Pulse Aceptar
3.)Encienda la unidad.</translation>
    </message>
</context>
<context>
    <name>FirmwareUpdateWindow</name>
    <message>
        <source>To update Tavolux firmware, first browse for the Intel Hex file.</source>
        <translation>Para actualizar el firmware de Tavolux, busque primero el archivo Intel Hex.</translation>
    </message>
    <message>
        <source>&amp;Browse</source>
        <translation>&amp;Examinar</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancelar</translation>
    </message>
    <message>
        <source>Update Firmware</source>
        <translation>Actualizar firmware</translation>
    </message>
    <message>
        <source>Tavolux Firmware (*.hex)</source>
        <translation>Firmware de Tavolux (*.hex)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Todos los archivos (*)</translation>
    </message>
    <message>
        <source>Please turn OFF the power to the unit, and press start</source>
        <translation>Apague la unidad y pulse Iniciar</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>&amp;Iniciar</translation>
    </message>
    <message>
        <source>&amp;Abort</source>
        <translation>&amp;Anular</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Cerrar</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 no se puede leer: %2</translation>
    </message>
    <message>
        <source>%1 cannot be sent: %2</source>
        <translation>%1 no se puede enviar: %2</translation>
    </message>
</context>
<context>
    <name>FunctionKeysDialog</name>
    <message>
        <source>Function Keys</source>
        <translation>Teclas de función</translation>
    </message>
    <message>
        <source>Pager</source>
        <translation>Busca</translation>
    </message>
    <message>
        <source>Tone</source>
        <translation>Tono</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Mensaje</translation>
    </message>
    <message>
        <source>Del F%1</source>
        <translation>Supr F%1</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Aceptar</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Cerrar</translation>
    </message>
</context>
<context>
    <name>GatewayCredentialDialog</name>
    <message>
        <source>New Login</source>
        <translation>Nuevo usuario</translation>
    </message>
    <message>
        <source>New Token</source>
        <translation>Nuevo token</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Nombre:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>C&amp;ontraseña:</translation>
    </message>
    <message>
        <source>&amp;Repeat password:</source>
        <translation>&amp;Repetir contraseña:</translation>
    </message>
    <message>
        <source>Letters, digits, '.', '_', '-' and '@'; up to 32.</source>
        <translation>Letras, cifras, '.', '_', '-' y '@'; hasta 32.</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Aceptar</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancelar</translation>
    </message>
    <message>
        <source>A name is 1 to 32 letters, digits, '.', '_', '-' or '@'.</source>
        <translation>Un nombre tiene de 1 a 32 letras, cifras, '.', '_', '-' o '@'.</translation>
    </message>
    <message>
        <source>There is a login named %1 already.</source>
        <translation>Ya hay un usuario llamado %1.</translation>
    </message>
    <message>
        <source>There is a token named %1 already.</source>
        <translation>Ya hay un token llamado %1.</translation>
    </message>
    <message>
        <source>Please enter a password.</source>
        <translation>Introduzca una contraseña.</translation>
    </message>
    <message>
        <source>The two passwords differ. Please type the same one twice.</source>
        <translation>Las dos contraseñas no coinciden. Escriba la misma dos veces.</translation>
    </message>
</context>
<context>
    <name>GatewaySettingsWindow</name>
    <message>
        <source>New Token</source>
        <translation>Nuevo token</translation>
    </message>
    <message>
        <source>The token for %1 is shown only this once: copy it now. It works once the gateway settings are saved with OK.</source>
        <translation>El token de %1 se muestra solo esta vez: cópielo ahora. Funcionará cuando se guarde la configuración de la pasarela con Aceptar.</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Cerrar</translation>
    </message>
    <message>
        <source>&amp;Take pages by SNPP</source>
        <translation>Recibir mensajes por &amp;SNPP</translation>
    </message>
    <message>
        <source>Take pages by &amp;HTTP</source>
        <translation>Recibir mensajes por &amp;HTTP</translation>
    </message>
    <message>
        <source>Connect to the unit at &amp;start-up</source>
        <translation>Conectar con la unidad al &amp;iniciar</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Quitar</translation>
    </message>
    <message>
        <source>Re&amp;move</source>
        <translation>Q&amp;uitar</translation>
    </message>
    <message>
        <source>Gateway Settings</source>
        <translation>Configuración de la pasarela</translation>
    </message>
    <message>
        <source>HOST:PORT, [IPv6]:PORT or a port alone (on this machine only); * listens on every address</source>
        <translation>HOST:PUERTO, [IPv6]:PUERTO o solo un puerto (en este equipo); * escucha en todas las direcciones</translation>
    </message>
    <message>
        <source>SNPP</source>
        <translation>SNPP</translation>
    </message>
    <message>
        <source>&amp;Listen on:</source>
        <translation>&amp;Escuchar en:</translation>
    </message>
    <message>
        <source>HTTP</source>
        <translation>HTTP</translation>
    </message>
    <message>
        <source>Listen o&amp;n:</source>
        <translation>Escuchar e&amp;n:</translation>
    </message>
    <message>
        <source>Cert&amp;ificate file:</source>
        <translation>Cer&amp;tificado:</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>E&amp;xaminar...</translation>
    </message>
    <message>
        <source>Ke&amp;y file:</source>
        <translation>C&amp;lave privada:</translation>
    </message>
    <message>
        <source>Bro&amp;wse...</source>
        <translation>Exa&amp;minar...</translation>
    </message>
    <message>
        <source>HTTPS with both (PEM files); plain HTTP with neither.</source>
        <translation>HTTPS con ambos (archivos PEM); HTTP sin cifrar con ninguno.</translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation>Nue&amp;vo...</translation>
    </message>
    <message>
        <source>Cr&amp;eate...</source>
        <translation>C&amp;rear...</translation>
    </message>
    <message>
        <source>Lo&amp;gins (SNPP):</source>
        <translation>Usuari&amp;os (SNPP):</translation>
    </message>
    <message>
        <source>To&amp;kens (HTTP):</source>
        <translation>To&amp;kens (HTTP):</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Aceptar</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancelar</translation>
    </message>
    <message>
        <source>SNPP refuses every page from another machine until a login is added.</source>
        <translation>SNPP rechaza todos los mensajes de otros equipos hasta que se añada un usuario.</translation>
    </message>
    <message>
        <source>HTTP refuses every page from another machine until a token is created.</source>
        <translation>HTTP rechaza todos los mensajes de otros equipos hasta que se cree un token.</translation>
    </message>
    <message>
        <source>Certificate File</source>
        <translation>Archivo de certificado</translation>
    </message>
    <message>
        <source>Key File</source>
        <translation>Archivo de clave privada</translation>
    </message>
    <message>
        <source>PEM files (*.pem *.crt *.key)</source>
        <translation>Archivos PEM (*.pem *.crt *.key)</translation>
    </message>
    <message>
        <source>The SNPP address "%1" is not one to listen on. Give HOST:PORT (127.0.0.1:4444), [IPv6]:PORT ([::1]:4444), *:PORT for every address, or a port alone (1 to 65535).</source>
        <translation>La dirección SNPP "%1" no sirve para escuchar. Indique HOST:PUERTO (127.0.0.1:4444), [IPv6]:PUERTO ([::1]:4444), *:PUERTO para todas las direcciones, o solo un puerto (de 1 a 65535).</translation>
    </message>
    <message>
        <source>The HTTP address "%1" is not one to listen on. Give HOST:PORT (127.0.0.1:4480), [IPv6]:PORT ([::1]:4480), *:PORT for every address, or a port alone (1 to 65535).</source>
        <translation>La dirección HTTP "%1" no sirve para escuchar. Indique HOST:PUERTO (127.0.0.1:4480), [IPv6]:PUERTO ([::1]:4480), *:PUERTO para todas las direcciones, o solo un puerto (de 1 a 65535).</translation>
    </message>
    <message>
        <source>SNPP and HTTP cannot both listen on port %1.</source>
        <translation>SNPP y HTTP no pueden escuchar ambos en el puerto %1.</translation>
    </message>
    <message>
        <source>HTTPS needs both a certificate file and a key file; leave both empty for plain HTTP.</source>
        <translation>HTTPS necesita un archivo de certificado y uno de clave privada; deje ambos vacíos para HTTP sin cifrar.</translation>
    </message>
    <message>
        <source>%1 cannot be read.</source>
        <translation>%1 no se puede leer.</translation>
    </message>
    <message>
        <source>The gateway settings could not be saved.</source>
        <translation>No se pudo guardar la configuración de la pasarela.</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Todos los archivos (*)</translation>
    </message>
    <message>
        <source>for ever</source>
        <translation>siempre</translation>
    </message>
    <message>
        <source> days</source>
        <translation> días</translation>
    </message>
    <message>
        <source>Keep page history &amp;for:</source>
        <translation>Conservar el historial &amp;durante:</translation>
    </message>
</context>
<context>
    <name>GeneralPage</name>
    <message>
        <source>Send on &amp;enter</source>
        <translation>&amp;Enviar con Intro</translation>
    </message>
    <message>
        <source>&amp;Maintenance password</source>
        <translation>Contraseña de &amp;mantenimiento</translation>
    </message>
    <message>
        <source>Password (confirmation)</source>
        <translation>Contraseña (confirmación)</translation>
    </message>
    <message>
        <source>&amp;Administrator password</source>
        <translation>Contraseña de &amp;administrador</translation>
    </message>
    <message>
        <source>&amp;Local ID length</source>
        <translation>&amp;Longitud del ID local</translation>
    </message>
    <message>
        <source>Screen &amp;1</source>
        <translation>Pantalla &amp;1</translation>
    </message>
    <message>
        <source>Screen 2, 1st L&amp;ine</source>
        <translation>Pantalla 2, &amp;primera línea</translation>
    </message>
    <message>
        <source>Screen 2, &amp;2nd Line</source>
        <translation>Pantalla 2, seg&amp;unda línea</translation>
    </message>
    <message>
        <source>Passwords must be either blank or 6 characters long.  Please try again.</source>
        <translation>Las contraseñas deben estar en blanco o tener 6 caracteres.  Inténtelo de nuevo.</translation>
    </message>
    <message>
        <source>ERROR: Maintenance and Administrator Passwords cannot be the same!
Please change one password and confirm</source>
        <translation>ERROR: ¡Las contraseñas de mantenimiento y de administrador no pueden ser iguales!
Cambie una de ellas y confírmela</translation>
    </message>
    <message>
        <source>ERROR: Maintenance Passwords do not match!
Please re-enter password and confirm</source>
        <translation>ERROR: ¡Las contraseñas de mantenimiento no coinciden!
Vuelva a escribir la contraseña y confírmela</translation>
    </message>
    <message>
        <source>ERROR: Administrator Passwords do not match!
Please re-enter password and confirm</source>
        <translation>ERROR: ¡Las contraseñas de administrador no coinciden!
Vuelva a escribir la contraseña y confírmela</translation>
    </message>
</context>
<context>
    <name>GroupsDialog</name>
    <message>
        <source>&amp;Edit</source>
        <translation>E&amp;ditar</translation>
    </message>
    <message>
        <source>&amp;Rotary Group</source>
        <translation>Grupo &amp;rotativo</translation>
    </message>
    <message>
        <source>Groups</source>
        <translation>Grupos</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Local ID</source>
        <translation>ID local</translation>
    </message>
    <message>
        <source>Members</source>
        <translation>Miembros</translation>
    </message>
    <message>
        <source>Maximum groups allowed is %1</source>
        <translation>El número máximo de grupos es %1</translation>
    </message>
    <message>
        <source>You have not assigned any members to this Group
Please add at least one member</source>
        <translation>No ha asignado ningún miembro a este grupo
Añada al menos un miembro</translation>
    </message>
</context>
<context>
    <name>HexFile</name>
    <message>
        <source>it is not a text file (it holds a NUL byte)</source>
        <translation>no es un archivo de texto (contiene un byte NUL)</translation>
    </message>
    <message>
        <source>it holds no records</source>
        <translation>no contiene ningún registro</translation>
    </message>
</context>
<context>
    <name>HistoryReport</name>
    <message>
        <source>refused by the unit</source>
        <translation>rechazado por la unidad</translation>
    </message>
    <message>
        <source>no response</source>
        <translation>sin respuesta</translation>
    </message>
    <message>
        <source>line lost</source>
        <translation>línea perdida</translation>
    </message>
    <message>
        <source>not connected</source>
        <translation>sin conexión</translation>
    </message>
    <message>
        <source>dropped</source>
        <translation>descartado</translation>
    </message>
    <message>
        <source>Queued</source>
        <translation>En cola</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Origen</translation>
    </message>
    <message>
        <source>Local ID</source>
        <translation>ID local</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Texto</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Resultado</translation>
    </message>
    <message>
        <source>Answer</source>
        <translation>Respuesta</translation>
    </message>
    <message>
        <source>Ended</source>
        <translation>Terminado</translation>
    </message>
    <message>
        <source>Page History</source>
        <translation>Historial de mensajes</translation>
    </message>
    <message>
        <source>Tavolux Page History</source>
        <translation>Historial de mensajes de Tavolux</translation>
    </message>
    <message>
        <source>Export Page History</source>
        <translation>Exportar historial de mensajes</translation>
    </message>
    <message>
        <source>The page history could not be exported.</source>
        <translation>No se pudo exportar el historial de mensajes.</translation>
    </message>
    <message>
        <source>Message box</source>
        <translation>Cuadro de mensaje</translation>
    </message>
    <message>
        <source>Test page</source>
        <translation>Mensaje de prueba</translation>
    </message>
    <message>
        <source>Coaster alert</source>
        <translation>Aviso de posavasos</translation>
    </message>
    <message>
        <source>Coaster range</source>
        <translation>Alcance de posavasos</translation>
    </message>
    <message>
        <source>Coaster locate</source>
        <translation>Localizar posavasos</translation>
    </message>
    <message>
        <source>Command line</source>
        <translation>Línea de comandos</translation>
    </message>
    <message>
        <source>SNPP</source>
        <translation>SNPP</translation>
    </message>
    <message>
        <source>HTTP</source>
        <translation>HTTP</translation>
    </message>
    <message>
        <source>this machine</source>
        <translation>este equipo</translation>
    </message>
    <message>
        <source>%1 from %2</source>
        <translation>%1 desde %2</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Confirmed</source>
        <translation>Confirmado</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fallido</translation>
    </message>
    <message>
        <source>Refused</source>
        <translation>Rechazado</translation>
    </message>
    <message>
        <source>Dropped</source>
        <translation>Descartado</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
</context>
<context>
    <name>InterfacePage</name>
    <message>
        <source>None</source>
        <translation>Ninguna</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>Par</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>Impar</translation>
    </message>
    <message>
        <source>&amp;Lookup Local ID</source>
        <translation>Buscar ID &amp;local</translation>
    </message>
    <message>
        <source>COMP1 Local &amp;ID</source>
        <translation>&amp;ID local de COMP1</translation>
    </message>
    <message>
        <source>Ignore Chec&amp;ksum</source>
        <translation>Ignorar s&amp;uma de control</translation>
    </message>
    <message>
        <source>&amp;Never disconnect</source>
        <translation>&amp;Nunca desconectar</translation>
    </message>
    <message>
        <source>Accept &amp;messages to invalid pagers</source>
        <translation>Aceptar &amp;mensajes a buscas no válidos</translation>
    </message>
    <message>
        <source>Send 'ID=' every t&amp;wo seconds</source>
        <translation>Enviar 'ID=' cada &amp;dos segundos</translation>
    </message>
    <message>
        <source>&amp;Protocol</source>
        <translation>&amp;Protocolo</translation>
    </message>
    <message>
        <source>Spee&amp;d</source>
        <translation>&amp;Velocidad</translation>
    </message>
    <message>
        <source>Data &amp;Bits</source>
        <translation>&amp;Bits de datos</translation>
    </message>
    <message>
        <source>S&amp;top Bits</source>
        <translation>Bits de par&amp;ada</translation>
    </message>
    <message>
        <source>P&amp;arity</source>
        <translation>Pa&amp;ridad</translation>
    </message>
    <message>
        <source>&amp;Flow Control</source>
        <translation>Control de &amp;flujo</translation>
    </message>
</context>
<context>
    <name>LineSettings</name>
    <message>
        <source>%1 baud</source>
        <translation>%1 baudios</translation>
    </message>
    <message>
        <source>%1 data bits</source>
        <translation>%1 bits de datos</translation>
    </message>
    <message>
        <source>no parity</source>
        <translation>sin paridad</translation>
    </message>
    <message>
        <source>odd parity</source>
        <translation>paridad impar</translation>
    </message>
    <message>
        <source>even parity</source>
        <translation>paridad par</translation>
    </message>
    <message>
        <source>mark parity</source>
        <translation>paridad marca</translation>
    </message>
    <message>
        <source>space parity</source>
        <translation>paridad espacio</translation>
    </message>
    <message>
        <source>parity %1</source>
        <translation>paridad %1</translation>
    </message>
    <message>
        <source>1 stop bit</source>
        <translation>1 bit de parada</translation>
    </message>
    <message>
        <source>1.5 stop bits</source>
        <translation>1,5 bits de parada</translation>
    </message>
    <message>
        <source>2 stop bits</source>
        <translation>2 bits de parada</translation>
    </message>
</context>
<context>
    <name>LoginDialog</name>
    <message>
        <source>Enter Password:</source>
        <translation>Introduzca la contraseña:</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Aceptar</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancelar</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Tavolux</source>
        <translation>Tavolux</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Archivo</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Nuevo</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Abrir</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Guardar</translation>
    </message>
    <message>
        <source>Save &amp;As</source>
        <translation>Guardar c&amp;omo</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>Sa&amp;lir</translation>
    </message>
    <message>
        <source>&amp;Upload From Tavolux</source>
        <translation>&amp;Recibir desde Tavolux</translation>
    </message>
    <message>
        <source>&amp;Download To Tavolux</source>
        <translation>&amp;Enviar a Tavolux</translation>
    </message>
    <message>
        <source>&amp;Connect To Tavolux</source>
        <translation>&amp;Conectar con Tavolux</translation>
    </message>
    <message>
        <source>D&amp;isconnect From Tavolux</source>
        <translation>&amp;Desconectar de Tavolux</translation>
    </message>
    <message>
        <source>Conn&amp;ection Settings</source>
        <translation>Configuración de cone&amp;xión</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ver</translation>
    </message>
    <message>
        <source>&amp;Status</source>
        <translation>&amp;Estado</translation>
    </message>
    <message>
        <source>&amp;Send</source>
        <translation>E&amp;nviar</translation>
    </message>
    <message>
        <source>Recipient</source>
        <translation>Destinatario</translation>
    </message>
    <message>
        <source>Message to send</source>
        <translation>Mensaje a enviar</translation>
    </message>
    <message>
        <source>Sending...</source>
        <translation>Enviando...</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>Fuera de línea</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Conectado</translation>
    </message>
    <message>
        <source>Not Connected</source>
        <translation>No conectado</translation>
    </message>
    <message>
        <source>Alarms</source>
        <translation>Alarmas</translation>
    </message>
    <message>
        <source>Reminders</source>
        <translation>Avisos</translation>
    </message>
    <message>
        <source>Pagers</source>
        <translation>Buscas</translation>
    </message>
    <message>
        <source>Groups</source>
        <translation>Grupos</translation>
    </message>
    <message>
        <source>Common</source>
        <translation>Comunes</translation>
    </message>
    <message>
        <source>Function</source>
        <translation>Funciones</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Ajustes</translation>
    </message>
    <message>
        <source>&amp;Common</source>
        <translation>C&amp;omún</translation>
    </message>
    <message>
        <source>&amp;Time</source>
        <translation>&amp;Hora</translation>
    </message>
    <message>
        <source>&amp;Date</source>
        <translation>&amp;Fecha</translation>
    </message>
    <message>
        <source>C&amp;lear</source>
        <translation>&amp;Borrar</translation>
    </message>
    <message>
        <source>&amp;Login</source>
        <translation>&amp;Iniciar sesión</translation>
    </message>
    <message>
        <source>Lo&amp;gout</source>
        <translation>Cerrar &amp;sesión</translation>
    </message>
    <message>
        <source>U&amp;pdate Tavolux</source>
        <translation>Ac&amp;tualizar Tavolux</translation>
    </message>
    <message>
        <source>Update &amp;Voice Prompts</source>
        <translation>Actualizar &amp;mensajes de voz</translation>
    </message>
    <message>
        <source>&amp;Pagers</source>
        <translation>&amp;Buscas</translation>
    </message>
    <message>
        <source>&amp;Groups</source>
        <translation>&amp;Grupos</translation>
    </message>
    <message>
        <source>Ctrl+P</source>
        <translation>Ctrl+P</translation>
    </message>
    <message>
        <source>Ctrl+G</source>
        <translation>Ctrl+G</translation>
    </message>
    <message>
        <source>Ctrl+A</source>
        <translation>Ctrl+A</translation>
    </message>
    <message>
        <source>Ctrl+I</source>
        <translation>Ctrl+R</translation>
    </message>
    <message>
        <source>Ctrl+C</source>
        <translation>Ctrl+C</translation>
    </message>
    <message>
        <source>Ctrl+F</source>
        <translation>Ctrl+F</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation>Ctrl+N</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Local ID</source>
        <translation>ID local</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Edición</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Acerca &amp;de</translation>
    </message>
    <message>
        <source>Password is invalid!</source>
        <translation>¡La contraseña no es válida!</translation>
    </message>
    <message>
        <source>Message Length: %1</source>
        <translation>Longitud del mensaje: %1</translation>
    </message>
    <message>
        <source>There are no common messages installed.
Add some now?</source>
        <translation>No hay mensajes comunes instalados.
¿Desea añadir algunos ahora?</translation>
    </message>
    <message>
        <source>About Tavolux</source>
        <translation>Acerca de Tavolux</translation>
    </message>
    <message>
        <source>Version %1.%2 Build(%3)</source>
        <translation>Versión %1.%2 Compilación(%3)</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Aceptar</translation>
    </message>
    <message>
        <source>&amp;Alarms</source>
        <translation>&amp;Alarmas</translation>
    </message>
    <message>
        <source>Choose a pager or group first</source>
        <translation>Elija primero un busca o un grupo</translation>
    </message>
    <message>
        <source>&amp;Reminder Messages</source>
        <translation>&amp;Mensajes recordatorios</translation>
    </message>
    <message>
        <source>&amp;Common Messages</source>
        <translation>Mensajes &amp;comunes</translation>
    </message>
    <message>
        <source>&amp;Function Keys</source>
        <translation>Teclas de &amp;función</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>A&amp;justes</translation>
    </message>
    <message>
        <source>Page to %1 from %2</source>
        <translation>Mensaje a %1 desde %2</translation>
    </message>
    <message>
        <source>Ga&amp;teway Settings...</source>
        <translation>Configuración de la &amp;pasarela...</translation>
    </message>
    <message>
        <source>Page &amp;History</source>
        <translation>&amp;Historial de mensajes</translation>
    </message>
</context>
<context>
    <name>MembersDialog</name>
    <message>
        <source>Members of: %1</source>
        <translation>Miembros de: %1</translation>
    </message>
    <message>
        <source>Add to the group</source>
        <translation>Añadir al grupo</translation>
    </message>
    <message>
        <source>Remove from the group</source>
        <translation>Quitar del grupo</translation>
    </message>
    <message>
        <source>&amp;Members not in group</source>
        <translation>&amp;Miembros fuera del grupo</translation>
    </message>
    <message>
        <source>Members in &amp;group</source>
        <translation>Miembros en el &amp;grupo</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Aceptar</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancelar</translation>
    </message>
    <message>
        <source>Maximum group members allowed is %1</source>
        <translation>El número máximo de miembros de un grupo es %1</translation>
    </message>
</context>
<context>
    <name>PageHistory</name>
    <message>
        <source>another program keeps it locked</source>
        <translation>otro programa lo mantiene bloqueado</translation>
    </message>
    <message>
        <source>Pages could not be kept in the page history: %1 of them.</source>
        <translation>No se pudieron guardar mensajes en el historial de mensajes: %1.</translation>
    </message>
    <message>
        <source>The page history %1 cannot be written: %2. Pages are sent all the same.</source>
        <translation>No se puede escribir el historial de mensajes %1: %2. Los mensajes se envían igualmente.</translation>
    </message>
    <message>
        <source>its folder cannot be made</source>
        <translation>no se puede crear su carpeta</translation>
    </message>
    <message>
        <source>it is not a page history</source>
        <translation>no es un historial de mensajes</translation>
    </message>
    <message>
        <source>a newer version of the program wrote it</source>
        <translation>lo escribió una versión más reciente del programa</translation>
    </message>
    <message>
        <source>The page history was damaged. It was moved to %1 and a new one begun.</source>
        <translation>El historial de mensajes estaba dañado. Se ha movido a %1 y se ha empezado uno nuevo.</translation>
    </message>
    <message>
        <source>Old pages cannot be removed from the page history: %1</source>
        <translation>No se pueden quitar los mensajes antiguos del historial: %1</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>no es un archivo normal</translation>
    </message>
    <message>
        <source>The page history %1 cannot be read: %2</source>
        <translation>No se puede leer el historial de mensajes %1: %2</translation>
    </message>
</context>
<context>
    <name>PageHistoryWindow</name>
    <message>
        <source>&amp;From:</source>
        <translation>&amp;Desde:</translation>
    </message>
    <message>
        <source>&amp;To:</source>
        <translation>&amp;Hasta:</translation>
    </message>
    <message>
        <source>E&amp;xport</source>
        <translation>E&amp;xportar</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Imprimir</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Aceptar</translation>
    </message>
    <message>
        <source>Text or name</source>
        <translation>Texto o nombre</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Todos</translation>
    </message>
    <message>
        <source>A local ID, or a coaster page's cap code; empty for every page</source>
        <translation>Un ID local, o el código CAP de un mensaje de posavasos; vacío para todos los mensajes</translation>
    </message>
    <message>
        <source>&amp;Search:</source>
        <translation>&amp;Buscar:</translation>
    </message>
    <message>
        <source>Local &amp;ID:</source>
        <translation>ID &amp;local:</translation>
    </message>
    <message>
        <source>Out&amp;come:</source>
        <translation>&amp;Resultado:</translation>
    </message>
    <message>
        <source>"%1" is not a local ID: give a number from 0 to %2, or nothing for every page.</source>
        <translation>"%1" no es un ID local: indique un número de 0 a %2, o nada para todos los mensajes.</translation>
    </message>
    <message>
        <source>The dates end before they begin: the To date is earlier than the From date.</source>
        <translation>Las fechas terminan antes de empezar: la fecha Hasta es anterior a la fecha Desde.</translation>
    </message>
    <message>
        <source>Pages: %1</source>
        <translation>Mensajes: %1</translation>
    </message>
    <message>
        <source>Pages: %1 or more</source>
        <translation>Mensajes: %1 o más</translation>
    </message>
    <message>
        <source>The page history could not be read.</source>
        <translation>No se pudo leer el historial de mensajes.</translation>
    </message>
</context>
<context>
    <name>PagersDialog</name>
    <message>
        <source>Pagers</source>
        <translation>Buscas</translation>
    </message>
    <message>
        <source>Beeper</source>
        <translation>Bíper</translation>
    </message>
    <message>
        <source>Numeric</source>
        <translation>Numérico</translation>
    </message>
    <message>
        <source>Alpha Numeric</source>
        <translation>Alfanumérico</translation>
    </message>
    <message>
        <source>Coaster</source>
        <translation>Posavasos</translation>
    </message>
    <message>
        <source>Voice</source>
        <translation>Voz</translation>
    </message>
    <message>
        <source>Group Tone</source>
        <translation>Tono de grupo</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Cap Code</source>
        <translation>Código CAP</translation>
    </message>
    <message>
        <source>Local ID</source>
        <translation>ID local</translation>
    </message>
    <message>
        <source>Receiver Type</source>
        <translation>Tipo de receptor</translation>
    </message>
    <message>
        <source>Maximum pagers allowed is %1</source>
        <translation>El número máximo de buscas es %1</translation>
    </message>
    <message>
        <source>Please enter a valid Cap Code</source>
        <translation>Introduzca un código CAP válido</translation>
    </message>
    <message>
        <source>Changing from a pocsag to voice type will cause the pager
 to be removed from all groups.  

NOTE: Voice pagers cannot be assigned to groups. 
 As an alternative, assign a GroupTone capcode for 
 transmission to multiple voice pagers.</source>
        <translation>Cambiar de un tipo POCSAG a un tipo de voz quitará el busca
 de todos los grupos.  

NOTA: Los buscas de voz no pueden asignarse a grupos. 
 Como alternativa, asigne un código CAP de tono de grupo para 
 transmitir a varios buscas de voz.</translation>
    </message>
    <message>
        <source>WARNING</source>
        <translation>ADVERTENCIA</translation>
    </message>
    <message>
        <source>More than one pager or group holds each of these local IDs: %1.
The list shows one of each; renumber or delete it to reach the other.</source>
        <translation>Más de un buscapersonas o grupo tiene cada uno de estos ID locales: %1.
La lista muestra uno de cada uno; renumérelo o elimínelo para llegar al otro.</translation>
    </message>
</context>
<context>
    <name>PatronPage</name>
    <message>
        <source>Anti-Theft mode &amp;enabled</source>
        <translation>Modo antirrobo &amp;activado</translation>
    </message>
    <message>
        <source>&amp;Alert mode control</source>
        <translation>Control del modo de a&amp;viso</translation>
    </message>
    <message>
        <source>Anti-Theft in&amp;dicator</source>
        <translation>In&amp;dicador antirrobo</translation>
    </message>
    <message>
        <source>Locate All &amp;Pagers</source>
        <translation>Locali&amp;zar todos los buscas</translation>
    </message>
    <message>
        <source>&amp;Locate coasters Cap Code</source>
        <translation>Código CAP para &amp;localizar posavasos</translation>
    </message>
    <message>
        <source>Anti-&amp;Theft Cap Code</source>
        <translation>Código CAP a&amp;ntirrobo</translation>
    </message>
    <message>
        <source>Anti-Theft &amp;Interval</source>
        <translation>&amp;Intervalo antirrobo</translation>
    </message>
    <message>
        <source>Anti-Theft Mode</source>
        <translation>Modo antirrobo</translation>
    </message>
    <message>
        <source>&amp;Group Cap Code</source>
        <translation>Código CAP de g&amp;rupo</translation>
    </message>
    <message>
        <source>Coaster control panel display</source>
        <translation>Panel de control de posavasos</translation>
    </message>
    <message>
        <source>Please enter a valid Anti Theft Cap Code</source>
        <translation>Introduzca un código CAP antirrobo válido</translation>
    </message>
    <message>
        <source>Please enter a valid locate coasters Cap Code</source>
        <translation>Introduzca un código CAP válido para localizar posavasos</translation>
    </message>
    <message>
        <source>Please enter a valid Common Cap Code</source>
        <translation>Introduzca un código CAP común válido</translation>
    </message>
</context>
<context>
    <name>PbxPage</name>
    <message>
        <source>Answer &amp;Rings</source>
        <translation>&amp;Tonos antes de contestar</translation>
    </message>
    <message>
        <source>&amp;Prompt Delay (seconds)</source>
        <translation>&amp;Retardo del aviso (segundos)</translation>
    </message>
    <message>
        <source>&amp;Inactivity Time (seconds)</source>
        <translation>Tiempo de &amp;inactividad (segundos)</translation>
    </message>
    <message>
        <source>&amp;Msgs. Before Disconnect</source>
        <translation>&amp;Mensajes antes de desconectar</translation>
    </message>
    <message>
        <source>&amp;Voice paging timeout (seconds)</source>
        <translation>Tiempo límite de &amp;voceo (segundos)</translation>
    </message>
</context>
<context>
    <name>PortSettingsWindow</name>
    <message>
        <source>Com Port Settings</source>
        <translation>Configuración del puerto COM</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Ninguna</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>Impar</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>Par</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Puerto</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Velocidad</translation>
    </message>
    <message>
        <source>Data Bits</source>
        <translation>Bits de datos</translation>
    </message>
    <message>
        <source>Stop Bits</source>
        <translation>Bits de parada</translation>
    </message>
    <message>
        <source>Parity</source>
        <translation>Paridad</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Aceptar</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Cerrar</translation>
    </message>
    <message>
        <source>Error: Cannot open port!</source>
        <translation>Error: ¡No se puede abrir el puerto!</translation>
    </message>
    <message>
        <source>The port is in use by another program.</source>
        <translation>Otro programa está usando el puerto.</translation>
    </message>
    <message>
        <source>The port does not exist.</source>
        <translation>El puerto no existe.</translation>
    </message>
    <message>
        <source>You are not allowed to use the port. Add your user to the "dialout" group (sudo usermod -aG dialout $USER), then log out and log in again.</source>
        <translation>No tiene permiso para usar el puerto. Añada su usuario al grupo "dialout" (sudo usermod -aG dialout $USER) y después cierre la sesión y vuelva a iniciarla.</translation>
    </message>
    <message>
        <source>This is not a serial port.</source>
        <translation>No es un puerto serie.</translation>
    </message>
</context>
<context>
    <name>PrintOptionsDialog</name>
    <message>
        <source>Print &amp;selected items only</source>
        <translation>Imprimir solo los elementos &amp;seleccionados</translation>
    </message>
    <message>
        <source>Pre&amp;view</source>
        <translation>&amp;Vista previa</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Imprimir</translation>
    </message>
    <message>
        <source>Print Options</source>
        <translation>Opciones de impresión</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancelar</translation>
    </message>
    <message>
        <source>Printer &amp;Name</source>
        <translation>&amp;Nombre de la impresora</translation>
    </message>
    <message>
        <source>&amp;Header</source>
        <translation>&amp;Encabezado</translation>
    </message>
    <message>
        <source>Colu&amp;mns</source>
        <translation>Colu&amp;mnas</translation>
    </message>
    <message>
        <source>Number of c&amp;opies</source>
        <translation>Número de c&amp;opias</translation>
    </message>
    <message>
        <source>Print to PDF file…</source>
        <translation>Imprimir en un archivo PDF…</translation>
    </message>
    <message>
        <source>No printer selected</source>
        <translation>No se ha seleccionado ninguna impresora</translation>
    </message>
    <message>
        <source>No pages to print.  Please enter a value greater than 0</source>
        <translation>No hay páginas que imprimir.  Introduzca un valor mayor que 0</translation>
    </message>
    <message>
        <source>PDF Files (*.pdf)</source>
        <translation>Archivos PDF (*.pdf)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Todos los archivos (*)</translation>
    </message>
    <message>
        <source>Print Preview</source>
        <translation>Vista previa de impresión</translation>
    </message>
</context>
<context>
    <name>PrintTable</name>
    <message>
        <source>Page %1 of %2</source>
        <translation>Página %1 de %2</translation>
    </message>
    <message>
        <source>Page %1.%2 of %3.%4</source>
        <translation>Página %1.%2 de %3.%4</translation>
    </message>
</context>
<context>
    <name>RecipientPickList</name>
    <message>
        <source>None</source>
        <translation>Ninguno</translation>
    </message>
</context>
<context>
    <name>RecordEditing</name>
    <message>
        <source>Please enter a valid name</source>
        <translation>Introduzca un nombre válido</translation>
    </message>
    <message>
        <source>Please enter a valid Local ID</source>
        <translation>Introduzca un ID local válido</translation>
    </message>
    <message>
        <source>LocalID is already in use!
Please choose another number</source>
        <translation>¡El ID local ya está en uso!
Elija otro número</translation>
    </message>
</context>
<context>
    <name>RecordListEditor</name>
    <message>
        <source>&amp;Test</source>
        <translation>&amp;Probar</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Nuevo</translation>
    </message>
    <message>
        <source>De&amp;lete</source>
        <translation>&amp;Eliminar</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Guardar</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Cerrar</translation>
    </message>
</context>
<context>
    <name>RegularFile</name>
    <message>
        <source>it is not a regular file</source>
        <translation>no es un archivo normal</translation>
    </message>
</context>
<context>
    <name>ReminderMessagesDialog</name>
    <message>
        <source>Reminder Messages</source>
        <translation>Mensajes recordatorios</translation>
    </message>
    <message>
        <source>Pager</source>
        <translation>Busca</translation>
    </message>
    <message>
        <source>Time to send</source>
        <translation>Hora de envío</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Mensaje</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Aceptar</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancelar</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Local ID</source>
        <translation>ID local</translation>
    </message>
    <message>
        <source>Beeper</source>
        <translation>Avisador</translation>
    </message>
    <message>
        <source>Numeric</source>
        <translation>Numérico</translation>
    </message>
    <message>
        <source>Alpha Numeric</source>
        <translation>Alfanumérico</translation>
    </message>
    <message>
        <source>Voice</source>
        <translation>Voz</translation>
    </message>
    <message>
        <source>Group Tone</source>
        <translation>Tono de grupo</translation>
    </message>
    <message>
        <source>Coaster</source>
        <translation>Posavasos</translation>
    </message>
    <message>
        <source>Disabled</source>
        <translation>Desactivada</translation>
    </message>
    <message>
        <source>Normally Open</source>
        <translation>Normalmente abierta</translation>
    </message>
    <message>
        <source>Normally Closed</source>
        <translation>Normalmente cerrada</translation>
    </message>
    <message>
        <source>State Change</source>
        <translation>Cambio de estado</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Ninguno</translation>
    </message>
    <message>
        <source>Cap Code</source>
        <translation>Código CAP</translation>
    </message>
    <message>
        <source>Receiver Type</source>
        <translation>Tipo de receptor</translation>
    </message>
    <message>
        <source>Rotary</source>
        <translation>Rotativo</translation>
    </message>
    <message>
        <source>1st Pager</source>
        <translation>1.er busca</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Tipo</translation>
    </message>
    <message>
        <source>Trigger Delay</source>
        <translation>Retardo de disparo</translation>
    </message>
    <message>
        <source>Escalation</source>
        <translation>Escalado</translation>
    </message>
    <message>
        <source>2nd Pager</source>
        <translation>2.º busca</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Mensaje</translation>
    </message>
    <message>
        <source>Pagers</source>
        <translation>Buscas</translation>
    </message>
    <message>
        <source>Groups</source>
        <translation>Grupos</translation>
    </message>
    <message>
        <source>Alarms</source>
        <translation>Alarmas</translation>
    </message>
    <message>
        <source>Contacts Report</source>
        <translation>Informe de contactos</translation>
    </message>
    <message>
        <source>Groups Report</source>
        <translation>Informe de grupos</translation>
    </message>
    <message>
        <source>Alarms Report</source>
        <translation>Informe de alarmas</translation>
    </message>
    <message>
        <source>Could not open file for export!</source>
        <translation>¡No se pudo abrir el archivo para exportar!</translation>
    </message>
    <message>
        <source>Export Contact Details to File</source>
        <translation>Exportar datos de contacto a un archivo</translation>
    </message>
    <message>
        <source>Export Groups to File</source>
        <translation>Exportar grupos a un archivo</translation>
    </message>
    <message>
        <source>Export Alarms to File</source>
        <translation>Exportar alarmas a un archivo</translation>
    </message>
    <message>
        <source>Input</source>
        <translation>Entrada</translation>
    </message>
</context>
<context>
    <name>ReportWindow</name>
    <message>
        <source>E&amp;xport</source>
        <translation>E&amp;xportar</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Imprimir</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Aceptar</translation>
    </message>
</context>
<context>
    <name>SerialPort</name>
    <message>
        <source>The port does not take %1; it runs with %2.</source>
        <translation>El puerto no acepta %1; funciona con %2.</translation>
    </message>
    <message>
        <source>%1: another program (such as a running console) holds the port</source>
        <translation>%1: otro programa (por ejemplo, una consola abierta) tiene el puerto ocupado</translation>
    </message>
</context>
<context>
    <name>SettingsSheet</name>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Guardar</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Cerrar</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Ajustes</translation>
    </message>
    <message>
        <source>General</source>
        <translation>General</translation>
    </message>
    <message>
        <source>PBX</source>
        <translation>Centralita</translation>
    </message>
    <message>
        <source>Interface Communications</source>
        <translation>Comunicaciones de la interfaz</translation>
    </message>
    <message>
        <source>Transmitter</source>
        <translation>Transmisor</translation>
    </message>
    <message>
        <source>Patron Pager</source>
        <translation>Buscas de clientes</translation>
    </message>
</context>
<context>
    <name>TablePrinter</name>
    <message>
        <source>The file %1 could not be written.</source>
        <translation>No se pudo escribir el archivo %1.</translation>
    </message>
    <message>
        <source>The printer %1 could not be opened.</source>
        <translation>No se pudo abrir la impresora %1.</translation>
    </message>
</context>
<context>
    <name>TavoluxApp</name>
    <message>
        <source>The paging gateway cannot listen:
%1</source>
        <translation>La pasarela de mensajes no puede escuchar:
%1</translation>
    </message>
    <message>
        <source>Help is provided as separate document.
Please check CD or install directory.</source>
        <translation>La ayuda se proporciona como documento aparte.
Consulte el CD o el directorio de instalación.</translation>
    </message>
    <message>
        <source>The paging gateway (tavolux-cli serve) is running for this user and holds the unit.
End it to start the console.</source>
        <translation>La pasarela de avisos (tavolux-cli serve) está en marcha para este usuario y tiene la unidad.
Deténgala para iniciar la consola.</translation>
    </message>
</context>
<context>
    <name>TransferWindow</name>
    <message>
        <source>Transferring...</source>
        <translation>Transfiriendo...</translation>
    </message>
    <message>
        <source>&amp;Abort</source>
        <translation>&amp;Anular</translation>
    </message>
</context>
<context>
    <name>TransmitterPage</name>
    <message>
        <source>Transmitter Type</source>
        <translation>Tipo de transmisor</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>Estándar</translation>
    </message>
    <message>
        <source>Inverted</source>
        <translation>Invertido</translation>
    </message>
    <message>
        <source>Tone</source>
        <translation>Tono</translation>
    </message>
    <message>
        <source>Numeric</source>
        <translation>Numérico</translation>
    </message>
    <message>
        <source>Alpha Numeric</source>
        <translation>Alfanumérico</translation>
    </message>
    <message>
        <source>sequential standard</source>
        <translation>secuencial estándar</translation>
    </message>
    <message>
        <source>sequential extended</source>
        <translation>secuencial extendido</translation>
    </message>
    <message>
        <source>Pocsag &amp;Data Rate</source>
        <translation>Velocidad de datos &amp;POCSAG</translation>
    </message>
    <message>
        <source>Default Beep &amp;Tone</source>
        <translation>&amp;Tono de aviso predeterminado</translation>
    </message>
    <message>
        <source>Two Tone Duration &amp;A (sec)</source>
        <translation>Duración &amp;A de dos tonos (s)</translation>
    </message>
    <message>
        <source>Two Tone Duration &amp;B (sec)</source>
        <translation>Duración &amp;B de dos tonos (s)</translation>
    </message>
    <message>
        <source>Two Tone &amp;Gap Duration (sec)</source>
        <translation>Pausa &amp;entre dos tonos (s)</translation>
    </message>
    <message>
        <source>System &amp;Encoding Method</source>
        <translation>&amp;Método de codificación del sistema</translation>
    </message>
    <message>
        <source>&amp;Voice Pager Type</source>
        <translation>Tipo de buscas de &amp;voz</translation>
    </message>
</context>
<context>
    <name>UnitSession</name>
    <message>
        <source>Communications port not open, check configuration.</source>
        <translation>El puerto de comunicaciones no está abierto; revise la configuración.</translation>
    </message>
    <message>
        <source>Error sending connect command.</source>
        <translation>Error al enviar la orden de conexión.</translation>
    </message>
    <message>
        <source>Message not sent.  Not Connected!</source>
        <translation>Mensaje no enviado.  ¡No conectado!</translation>
    </message>
    <message>
        <source>ERROR: You must specify a communications port first!</source>
        <translation>ERROR: ¡Primero debe indicar un puerto de comunicaciones!</translation>
    </message>
    <message>
        <source>You must be Connected.</source>
        <translation>Debe estar conectado.</translation>
    </message>
    <message>
        <source>Please wait for all message to be sent.</source>
        <translation>Espere a que se envíen todos los mensajes.</translation>
    </message>
    <message>
        <source>Communications will be placed offline, continue?</source>
        <translation>Las comunicaciones pasarán a fuera de línea. ¿Continuar?</translation>
    </message>
    <message>
        <source>The line cannot be set to the saved %1 %2.
Choose the settings again under Connection Settings.</source>
        <translation>No se puede ajustar la línea al valor guardado %1 %2.
Vuelva a elegir los ajustes en Configuración de conexión.</translation>
    </message>
</context>
<context>
    <name>UnitStatusWindow</name>
    <message>
        <source>Loading</source>
        <translation>Cargando</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Estado</translation>
    </message>
</context>
<context>
    <name>VoicePrompts</name>
    <message>
        <source>English (Australia)</source>
        <translation>Inglés (Australia)</translation>
    </message>
    <message>
        <source>English (US)</source>
        <translation>Inglés (EE. UU.)</translation>
    </message>
    <message>
        <source>English (British)</source>
        <translation>Inglés (británico)</translation>
    </message>
    <message>
        <source>Spanish</source>
        <translation>Español</translation>
    </message>
    <message>
        <source>French</source>
        <translation>Francés</translation>
    </message>
    <message>
        <source>German</source>
        <translation>Alemán</translation>
    </message>
    <message>
        <source>Italian</source>
        <translation>Italiano</translation>
    </message>
    <message>
        <source>Arabic</source>
        <translation>Árabe</translation>
    </message>
    <message>
        <source>Mandarin</source>
        <translation>Mandarín</translation>
    </message>
    <message>
        <source>Cantonese</source>
        <translation>Cantonés</translation>
    </message>
    <message>
        <source>Japanese</source>
        <translation>Japonés</translation>
    </message>
    <message>
        <source>its "data" chunk is empty, and the first prompt needs sample data</source>
        <translation>su bloque "data" está vacío, y el primer mensaje necesita datos de sonido</translation>
    </message>
    <message>
        <source>%1 cannot be used: %2</source>
        <translation>%1 no se puede usar: %2</translation>
    </message>
</context>
<context>
    <name>VoiceUpdateWindow</name>
    <message>
        <source>Transferring...</source>
        <translation>Transfiriendo...</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Aceptar</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancelar</translation>
    </message>
    <message>
        <source>Voice Update</source>
        <translation>Actualizar mensajes de voz</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Idioma</translation>
    </message>
</context>
<context>
    <name>WavReader</name>
    <message>
        <source>it is not a RIFF/WAVE file</source>
        <translation>no es un archivo RIFF/WAVE</translation>
    </message>
    <message>
        <source>it has no "data" chunk</source>
        <translation>no tiene bloque "data"</translation>
    </message>
    <message>
        <source>the voice prompts are too large: the unit takes at most %1 bytes of sample data in all</source>
        <translation>los mensajes de voz son demasiado grandes: la unidad admite como máximo %1 bytes de datos de sonido en total</translation>
    </message>
    <message>
        <source>a chunk before its "data" chunk runs past the end of the file</source>
        <translation>un bloque anterior a su bloque "data" se extiende más allá del final del archivo</translation>
    </message>
</context>
</TS>