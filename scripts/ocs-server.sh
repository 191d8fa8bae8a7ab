#!/usr/bin/env bash
# A local OCS Inventory NG server (Debian's packages: the mod_perl server under
# Apache, MariaDB) for the inventory tests, at http://127.0.0.1/ocsinventory.
#
#   ocs-server.sh start [HOLDER]      install what is missing, start, wait for a PROLOG answer
#   ocs-server.sh stop [HOLDER]       stop what start started, once no other holder needs it
#   ocs-server.sh query DEVICE [TABLE...]   the rows stored for DEVICE (DEVICEID, else NAME)
#   ocs-server.sh forget DEVICE       delete DEVICE's rows from every table
#   ocs-server.sh post FILE [USER-AGENT]    POST FILE zlib-compressed, print status and reply
#
# HOLDER names who uses the server (a build directory, say; default "manual"):
# several worktrees on one machine share the one port 80, so the server stops
# only when the last holder lets go, and a server that was running before any
# start is never stopped. Needs root (or sudo without a password) for start
# and stop; query and forget use the server's own database account otherwise.
#
# query prints one block per table: a header "#TABLE<TAB>COLUMN..." and rows
# "TABLE<TAB>VALUE..." (mysql's batch form: tab, newline and backslash in a
# value come escaped). TABLEs: hardware accountinfo bios cpus memories drives
# storages networks software (software with its name, publisher and version).
set -euo pipefail
export LC_ALL=C

OCS_URL_PATH=/ocsinventory
OCS_USER_AGENT=Korvexer/$("$(dirname "$0")/version.sh")
STATE=/var/lib/korvexer-ocs       # the schema files, unpacked from their package
RUN=/run/korvexer-ocs             # what start started, who holds the server
WAIT=${KORVEXER_OCS_WAIT:-60}     # seconds for each daemon to come up or go
SYSTEMD=0
[ -d /run/systemd/system ] && SYSTEMD=1

log() { printf 'ocs-server: %s\n' "$*"; }
die() {
    log "ERROR: $*" >&2
    exit 1
}

as_root() {
    [ "$(id -u)" = 0 ] && return 0
    if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
        exec sudo -n --preserve-env=KORVEXER_OCS_WAIT "$0" "$@"
    fi
    log "needs root or sudo without a password"
    exit 77
}

# Root reaches MariaDB through its socket without a password; anybody else uses
# the account the server itself is configured with.
sql() {
    if [ "$(id -u)" = 0 ]; then
        mysql --default-character-set=utf8mb4 ocsweb "$@"
    else
        mysql --default-character-set=utf8mb4 -uocs -pocs ocsweb "$@"
    fi
}

# A POST of FILE's bytes, zlib-compressed as agents send them, with perl's core
# modules (perl is there: the server is written in it). Prints "HTTP STATUS" and
# the reply decompressed; exit 0 on 200.
post() {
    perl -MIO::Socket::INET -MCompress::Zlib -e '
        my ($file, $ua, $path) = @ARGV;
        open my $f, "<:raw", $file or die "cannot read $file: $!\n";
        my $xml = do { local $/; <$f> };
        my $body = compress($xml);
        local $SIG{ALRM} = sub { die "no reply within 120 s\n" };
        alarm 120;
        my $s = IO::Socket::INET->new(PeerAddr => "127.0.0.1", PeerPort => 80, Timeout => 10)
            or die "cannot connect to 127.0.0.1:80: $@\n";
        binmode $s;
        print $s "POST $path HTTP/1.0\r\nHost: 127.0.0.1\r\nUser-Agent: $ua\r\n"
            . "Content-Type: application/x-compress\r\nContent-Length: " . length($body) . "\r\n\r\n" . $body;
        my $reply = do { local $/; <$s> } // "";
        my ($head, $rest) = split /\r\n\r\n/, $reply, 2;
        my ($status) = ($head // "") =~ m{^HTTP/\d\.\d (\d{3})};
        my $text = uncompress($rest // "");
        print "HTTP ", $status // "none", "\n", defined $text ? $text : $rest // "", "\n";
        exit(($status // 0) == 200 ? 0 : 1);' "$1" "${2:-$OCS_USER_AGENT}" "$OCS_URL_PATH"
}

# ------------------------------------------------------------------ install
install_packages() {
    # libxml-parser-perl: the server insists on XML::Parser but does not depend
    # on it, and answers every request with 500 without it.
    local p missing=()
    for p in ocsinventory-server apache2 mariadb-server mariadb-client libxml-parser-perl; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if ! apt-cache policy ocsinventory-server 2>/dev/null | grep -q 'Candidate: [0-9]'; then
        log "apt-get update"
        apt-get update -qq >>"$RUN/apt.log" 2>&1 || {
            tail -20 "$RUN/apt.log"
            die "apt-get update failed"
        }
    fi
    log "installing ${missing[*]}"
    # The packages' scripts must not start the daemons: this script starts
    # them itself and stops only what it started.
    local policy_made=0
    if [ ! -e /usr/sbin/policy-rc.d ]; then
        printf '#!/bin/sh\nexit 101\n' >/usr/sbin/policy-rc.d
        chmod 755 /usr/sbin/policy-rc.d
        policy_made=1
    fi
    # No recommends: the server recommends its PHP console, which we do not use.
    local status=0
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" \
        >>"$RUN/apt.log" 2>&1 || status=$?
    [ $policy_made = 1 ] && rm -f /usr/sbin/policy-rc.d
    if [ $status != 0 ]; then
        tail -20 "$RUN/apt.log"
        die "apt-get install failed"
    fi
}

# The schema ships only with the web console's package (its installer creates
# the database): the package is fetched and unpacked for its SQL, not installed.
schema_files() {
    if [ -f /usr/share/ocsinventory-reports/files/ocsbase_new.sql ]; then
        echo /usr/share/ocsinventory-reports/files
        return
    fi
    local files=$STATE/reports/usr/share/ocsinventory-reports/files
    if [ ! -f "$files/ocsbase_new.sql" ]; then
        log "fetching the console's package for its schema" >&2
        local tmp
        tmp=$(mktemp -d)
        chmod 755 "$tmp" # apt's download user writes here
        (cd "$tmp" && apt-get download -q ocsinventory-reports) >>"$RUN/apt.log" 2>&1 || {
            rm -rf "$tmp"
            tail -20 "$RUN/apt.log" >&2
            die "apt-get download ocsinventory-reports failed"
        }
        mkdir -p "$STATE/reports"
        dpkg-deb -x "$tmp"/ocsinventory-reports_*.deb "$STATE/reports"
        rm -rf "$tmp"
    fi
    echo "$files"
}

configure_apache() {
    local changed=0
    # mod_perl under the event MPM kills the worker in the server's fallback
    # decoders (gzip or plain XML bodies): prefork is stable.
    if [ ! -e /etc/apache2/mods-enabled/mpm_prefork.load ] || [ -e /etc/apache2/mods-enabled/mpm_event.load ] ||
        [ -e /etc/apache2/mods-enabled/mpm_worker.load ]; then
        a2dismod -q mpm_event mpm_worker >/dev/null 2>&1 || true
        a2enmod -q mpm_prefork >/dev/null
        changed=1
    fi
    if [ ! -e /etc/apache2/mods-enabled/perl.load ]; then
        a2enmod -q perl >/dev/null
        changed=1
    fi
    local conf=/etc/apache2/conf-available/korvexer-ocs.conf want
    want='# Written by the Korvexer test server script: a quiet local server.
ServerName 127.0.0.1
<IfModule mpm_prefork_module>
    StartServers          2
    MinSpareServers       1
    MaxSpareServers       3
    MaxRequestWorkers     8
</IfModule>'
    if [ "$(cat "$conf" 2>/dev/null)" != "$want" ]; then
        printf '%s\n' "$want" >"$conf"
        changed=1
    fi
    for c in korvexer-ocs ocsinventory-server; do
        if [ ! -e "/etc/apache2/conf-enabled/$c.conf" ]; then
            a2enconf -q "$c" >/dev/null
            changed=1
        fi
    done
    # Reachable from this machine only.
    if grep -qx 'Listen 80' /etc/apache2/ports.conf; then
        sed -i 's/^Listen 80$/Listen 127.0.0.1:80/' /etc/apache2/ports.conf
        changed=1
    fi
    # Our User-Agent is no upstream agent name: the server accepts its PROLOG
    # only when listed here (matched as a whole line).
    touch /etc/ocsinventory/extra_useragents
    grep -qxF "$OCS_USER_AGENT" /etc/ocsinventory/extra_useragents ||
        echo "$OCS_USER_AGENT" >>/etc/ocsinventory/extra_useragents
    install -d -o www-data -g adm /var/log/ocsinventory-server
    [ $changed = 0 ] || touch "$RUN/apache-config-changed"
}

create_database() {
    local files=$1 gui current n
    sql_root() { mysql --default-character-set=utf8 "$@"; }
    # The user and password the server's Apache configuration names.
    sql_root -e "CREATE DATABASE IF NOT EXISTS ocsweb CHARACTER SET utf8 COLLATE utf8_bin;
        CREATE USER IF NOT EXISTS 'ocs'@'localhost' IDENTIFIED BY 'ocs';
        GRANT ALL PRIVILEGES ON ocsweb.* TO 'ocs'@'localhost'; FLUSH PRIVILEGES;"
    # As the console's installer and updater do: the base schema, then every
    # update in order, their errors ignored (several repeat what the base has).
    local load=(mysql --force --default-character-set=utf8 "--init-command=SET sql_mode='NO_ENGINE_SUBSTITUTION'" ocsweb)
    if ! sql_root -N ocsweb -e "SELECT 1 FROM config LIMIT 1" >/dev/null 2>&1; then
        log "creating the database"
        "${load[@]}" <"$files/ocsbase_new.sql" >>"$RUN/schema.log" 2>&1 || true
        sql_root -N ocsweb -e "SELECT 1 FROM config LIMIT 1" >/dev/null || die "the base schema did not load"
    fi
    gui=$(sed -n "s/^define('GUI_VER', '\([0-9]*\)');.*/\1/p" "$files/../var.php" 2>/dev/null || true)
    [ -n "$gui" ] || gui=$(find "$files/update" -name '[0-9]*.sql' -printf '%f\n' | sort -n | tail -1 | cut -d. -f1)
    current=$(sql_root -N ocsweb -e "SELECT TVALUE FROM config WHERE NAME='GUI_VERSION'")
    if [ "${current:-0}" -lt "$gui" ]; then
        for n in $(seq $((current + 1)) "$gui"); do
            [ -f "$files/update/$n.sql" ] || die "schema update $n.sql missing"
            "${load[@]}" <"$files/update/$n.sql" >>"$RUN/schema.log" 2>&1 || true
            sql_root ocsweb -e "UPDATE config SET TVALUE='$n' WHERE NAME='GUI_VERSION'"
        done
    fi
    # The packaged server is older than the schema it ships with: a schema
    # update drops software_name.CATEGORY, which the server still writes.
    sql_root ocsweb -e "ALTER TABLE software_name ADD COLUMN IF NOT EXISTS CATEGORY INT(11) DEFAULT NULL"
    # The config table overrides Apache's settings; 1 writes the activity log.
    sql_root ocsweb -e "UPDATE config SET IVALUE=1 WHERE NAME='LOGLEVEL'"
}

# -------------------------------------------------------------------- daemons
alive() { [ -n "${1:-}" ] && kill -0 "$1" 2>/dev/null; }
db_up() { mysqladmin --connect-timeout=2 ping >/dev/null 2>&1; }
apache_pid() {
    local p
    p=$(cat /run/apache2/apache2.pid 2>/dev/null) && alive "$p" && echo "$p"
}
wait_for() {
    local _
    for _ in $(seq 1 $((WAIT * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

start_mariadb() {
    if db_up; then
        [ -e "$RUN/started-mariadb" ] || log "mariadb was already running: left as it is"
        return 0
    fi
    if [ $SYSTEMD = 1 ]; then
        systemctl start mariadb
    else
        install -d -o mysql -g root /run/mysqld
        install -d -o mysql -g adm /var/log/mysql
        # Without a log file mysqld_safe logs to syslog, which a container lacks.
        setsid /usr/bin/mysqld_safe --log-error=/var/log/mysql/error.log </dev/null >/dev/null 2>&1 9>&- &
        echo $! >"$RUN/mysqld_safe.pid"
    fi
    touch "$RUN/started-mariadb"
    wait_for db_up || {
        tail -20 /var/log/mysql/error.log 2>/dev/null
        die "mariadb did not start"
    }
}

stop_apache_now() {
    local p
    p=$(apache_pid) || return 0
    if [ $SYSTEMD = 1 ]; then systemctl stop apache2; else apachectl -k stop </dev/null >/dev/null 2>&1 || kill "$p"; fi
    wait_for eval "! alive $p" || die "apache (pid $p) did not stop"
}

start_apache() {
    apachectl configtest >"$RUN/apache-configtest.log" 2>&1 || {
        cat "$RUN/apache-configtest.log"
        die "apache's configuration is broken"
    }
    if apache_pid >/dev/null && [ -e "$RUN/apache-config-changed" ]; then
        # A full restart: mod_perl does not survive graceful ones.
        log "restarting apache for its new configuration"
        stop_apache_now
    fi
    rm -f "$RUN/apache-config-changed"
    if apache_pid >/dev/null; then
        [ -e "$RUN/started-apache" ] || log "apache was already running: left as it is"
        return 0
    fi
    if [ $SYSTEMD = 1 ]; then
        systemctl start apache2
    else
        apachectl -k start </dev/null >"$RUN/apache-start.log" 2>&1 9>&- || true
    fi
    touch "$RUN/started-apache"
    wait_for apache_pid >/dev/null || {
        cat "$RUN/apache-start.log" 2>/dev/null
        tail -20 /var/log/apache2/error.log 2>/dev/null
        die "apache did not start"
    }
}

prolog_answered() {
    local probe reply
    probe=$RUN/prolog.xml
    printf '%s\n' '<?xml version="1.0" encoding="UTF-8"?>' '<REQUEST>' \
        '  <DEVICEID>korvexer-probe-2000-01-01-00-00-00</DEVICEID>' '  <QUERY>PROLOG</QUERY>' '</REQUEST>' >"$probe"
    reply=$(post "$probe" 2>&1) && grep -qE '<RESPONSE>(SEND|STOP)</RESPONSE>' <<<"$reply"
}

holder_file() { echo "$RUN/holders/$(printf '%s' "$1" | md5sum | cut -c1-16)"; }

cmd_start() {
    local holder=${1:-manual} t0=$SECONDS files
    mkdir -p "$STATE" "$RUN/holders"
    install_packages
    files=$(schema_files)
    configure_apache
    start_mariadb
    create_database "$files"
    start_apache
    wait_for prolog_answered || {
        post "$RUN/prolog.xml" || true
        tail -20 /var/log/apache2/error.log 2>/dev/null
        die "the server does not answer a PROLOG at http://127.0.0.1$OCS_URL_PATH"
    }
    sql -e "DELETE FROM prolog_conntrack WHERE DEVICEID='korvexer-probe-2000-01-01-00-00-00'"
    printf '%s\n' "$holder" >"$(holder_file "$holder")"
    local ours=
    [ -e "$RUN/started-mariadb" ] && ours="$ours mariadb"
    [ -e "$RUN/started-apache" ] && ours="$ours apache"
    log "answers at http://127.0.0.1$OCS_URL_PATH after $((SECONDS - t0)) s (started here:${ours:- none})"
}

cmd_stop() {
    local holder=${1:-manual} others apache='' db='' safe=''
    rm -f "$(holder_file "$holder")"
    others=$(cat "$RUN"/holders/* 2>/dev/null | paste -sd, || true)
    if [ -n "$others" ]; then
        log "still used by $others: left running"
        return 0
    fi
    if [ ! -e "$RUN/started-apache" ] && [ ! -e "$RUN/started-mariadb" ]; then
        log "nothing of it was started here: left running"
        return 0
    fi
    # Both are asked at once: each takes a second or more to end.
    if [ -e "$RUN/started-apache" ] && apache=$(apache_pid); then
        if [ $SYSTEMD = 1 ]; then systemctl stop apache2; else apachectl -k stop </dev/null >/dev/null 2>&1 || kill "$apache"; fi
    fi
    if [ -e "$RUN/started-mariadb" ]; then
        safe=$(cat "$RUN/mysqld_safe.pid" 2>/dev/null || true)
        db=$(cat /run/mysqld/mysqld.pid 2>/dev/null || true)
        if alive "$db"; then
            if [ $SYSTEMD = 1 ]; then systemctl stop mariadb; else mysqladmin shutdown || kill "$db"; fi
        fi
    fi
    [ -z "$apache" ] || wait_for eval "! alive $apache" || die "apache (pid $apache) did not stop"
    [ -z "$db" ] || wait_for eval "! alive $db" || die "mariadb (pid $db) did not stop"
    # mysqld_safe ends by itself once the server has shut down cleanly.
    [ -z "$safe" ] || wait_for eval "! alive $safe" || kill "$safe" 2>/dev/null || true
    rm -f "$RUN/started-apache" "$RUN/started-mariadb" "$RUN/mysqld_safe.pid"
    log "stopped"
}

# ---------------------------------------------------------------------- rows
# DEVICE as a string literal of SQL.
sql_text() { printf "'%s'" "$(printf '%s' "$1" | sed "s/\\\\/\\\\\\\\/g; s/'/''/g")"; }

# The hardware IDs of DEVICE: its DEVICEID, else its NAME.
ids_of() {
    local d ids
    d=$(sql_text "$1")
    ids=$(sql -N -B -e "SELECT ID FROM hardware WHERE DEVICEID=$d" | paste -sd,)
    [ -n "$ids" ] || ids=$(sql -N -B -e "SELECT ID FROM hardware WHERE NAME=$d" | paste -sd,)
    printf '%s' "$ids"
}

cmd_query() {
    local device=$1 ids t where
    shift
    ids=$(ids_of "$device")
    if [ -z "$ids" ]; then
        echo "no device $device in the server's database" >&2
        return 1
    fi
    where="HARDWARE_ID IN ($ids)"
    [ $# -gt 0 ] || set -- hardware accountinfo bios cpus memories drives storages networks software
    for t in "$@"; do
        case $t in
        hardware) q="SELECT * FROM hardware WHERE ID IN ($ids)" ;;
        accountinfo | bios | cpus | memories | drives | storages | networks) q="SELECT * FROM $t WHERE $where" ;;
        software)
            q="SELECT s.*, n.NAME, p.PUBLISHER, v.VERSION FROM software s
                 LEFT JOIN software_name n ON n.ID = s.NAME_ID
                 LEFT JOIN software_publisher p ON p.ID = s.PUBLISHER_ID
                 LEFT JOIN software_version v ON v.ID = s.VERSION_ID
                WHERE s.$where ORDER BY n.NAME"
            ;;
        *)
            echo "unknown table $t" >&2
            return 2
            ;;
        esac
        sql -B -e "$q" | awk -v t="$t" 'NR == 1 { print "#" t "\t" $0; next } { print t "\t" $0 }'
    done
}

cmd_forget() {
    local ids t
    ids=$(ids_of "$1")
    [ -n "$ids" ] || return 0
    for t in $(sql -N -B -e "SELECT TABLE_NAME FROM information_schema.COLUMNS
                             WHERE TABLE_SCHEMA='ocsweb' AND COLUMN_NAME='HARDWARE_ID'"); do
        sql -e "DELETE FROM \`$t\` WHERE HARDWARE_ID IN ($ids)"
    done
    sql -e "DELETE FROM hardware WHERE ID IN ($ids)"
}

usage() {
    sed -n '4,8p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

[ $# -ge 1 ] || usage
command=$1
shift
case $command in
start | stop)
    as_root "$command" "$@"
    # One start or stop at a time (several worktrees share this server); the
    # daemons must not inherit the lock.
    exec 9>/run/korvexer-ocs.lock
    flock 9
    mkdir -p "$RUN/holders"
    "cmd_$command" "$@"
    ;;
query)
    [ $# -ge 1 ] || usage
    cmd_query "$@"
    ;;
forget)
    [ $# -eq 1 ] || usage
    cmd_forget "$1"
    ;;
post)
    [ $# -ge 1 ] || usage
    post "$@"
    ;;
*) usage ;;
esac
