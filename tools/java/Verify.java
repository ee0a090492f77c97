import java.io.PrintStream;

/**
 * Run by the launcher inside every candidate JVM: prints the system
 * properties the launcher judges the JVM by, one "name = value" line each
 * with CR LF line ends whatever the platform, and exits with status 0.
 * The launcher reads java.version and java.vendor.url from this output.
 */
public final class Verify {
    private static final String[] PROPERTIES = {
        "java.home", "java.version", "java.vendor.url", "java.vendor", "java.class.path",
        "java.class.version", "user.dir", "user.language", "user.region", "user.home",
        "os.name", "os.version", "os.arch",
    };

    private Verify() {
    }

    public static void main(String[] args) {
        StringBuilder text = new StringBuilder();
        for (String name : PROPERTIES) {
            // The os.arch line has always had two blanks before the "=";
            // readers of this output rely on the exact lines.
            text.append(name).append(name.equals("os.arch") ? "  = " : " = ");
            text.append(System.getProperty(name)).append("\r\n");
        }
        PrintStream out = System.out;
        out.print(text);
        out.flush();
        System.exit(0);
    }
}
