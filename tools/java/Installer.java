import java.io.ByteArrayOutputStream;
import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.util.LinkedHashMap;
import java.util.Map;
import java.util.zip.DataFormatException;
import java.util.zip.Inflater;

/**
 * A sample installer: the launcher's Java archive in its simplest use.
 * tarnpack puts the resources into this class's own file, in a class
 * attribute at its end; the installer reads its class file back, finds the
 * sections through the offset table that the last 8 bytes point to, and
 * writes every resource into the target folder.
 *
 * Target folder: the first argument, else the system property
 * "tarnwick.target", else "TarnwickSample" in the user's home.
 *
 * The launcher ships this one class file and nothing else, so there are no
 * nested classes: an instance of Installer is the big-endian reader.
 */
public final class Installer {
    private final byte[] bytes;
    private int position;

    private Installer(byte[] bytes, long position) {
        this.bytes = bytes;
        this.position = checked(position, 0);
    }

    public static void main(String[] args) {
        try {
            File target = targetFolder(args);
            int count = install(readOwnClassFile(), target);
            System.out.println("Installed " + count + " files into " + target.getPath());
            System.exit(0);
        } catch (IOException | DataFormatException | RuntimeException e) {
            System.err.println("Installer: " + (e.getMessage() != null ? e.getMessage() : e.toString()));
            System.exit(1);
        }
    }

    private static File targetFolder(String[] args) {
        if (args.length > 0) {
            return new File(args[0]);
        }
        String property = System.getProperty("tarnwick.target");
        if (property != null && !property.isEmpty()) {
            return new File(property);
        }
        return new File(System.getProperty("user.home"), "TarnwickSample");
    }

    private static byte[] readOwnClassFile() throws IOException {
        InputStream in = Installer.class.getResourceAsStream("Installer.class");
        if (in == null) {
            throw new IOException("cannot find Installer.class on the class path");
        }
        try {
            ByteArrayOutputStream out = new ByteArrayOutputStream();
            byte[] buffer = new byte[64 * 1024];
            for (int n; (n = in.read(buffer)) != -1;) {
                out.write(buffer, 0, n);
            }
            return out.toByteArray();
        } finally {
            in.close();
        }
    }

    /** Installs every section; a later section of the same name replaces an earlier one. */
    private static int install(byte[] file, File target) throws IOException, DataFormatException {
        Installer trailer = new Installer(file, file.length - 8L);
        Installer table = new Installer(file, trailer.u8());
        int sectionCount = table.u2();
        Map<String, Long> headers = new LinkedHashMap<String, Long>();
        for (int i = 0; i < sectionCount; i++) {
            String name = table.name();
            headers.remove(name);
            headers.put(name, table.u8());
        }
        if (!target.isDirectory() && !target.mkdirs()) {
            throw new IOException("cannot create " + target.getPath());
        }
        int installed = 0;
        for (long headerOffset : headers.values()) {
            installed += installSection(file, headerOffset, target);
        }
        return installed;
    }

    private static int installSection(byte[] file, long headerOffset, File target)
            throws IOException, DataFormatException {
        Installer header = new Installer(file, headerOffset);
        String section = header.name();
        long count = header.u4();
        long dataSize = header.u8();
        boolean compressed = header.u1() != 0;
        byte[] data = header.bytes(dataSize);
        Installer records = new Installer(compressed ? inflate(data) : data, 0);
        for (long i = 0; i < count; i++) {
            byte[] extra = records.bytes(records.u4());
            boolean jvmInstaller = extra.length == 1 && extra[0] == 1;
            String name = fileName(records.name());
            byte[] content = records.bytes(records.u4());
            File out = new File(target, name);
            write(out, content);
            System.out.println(section + ": " + name + " (" + content.length + " bytes"
                    + (jvmInstaller ? ", JVM installer" : "") + ") -> " + out.getPath());
        }
        return (int) count;
    }

    /** A resource name must stay inside the target folder. */
    private static String fileName(String name) {
        if (name.isEmpty() || name.contains("/") || name.contains("\\") || name.equals(".")
                || name.equals("..")) {
            throw new IllegalStateException("refusing the resource name \"" + name + "\"");
        }
        return name;
    }

    private static byte[] inflate(byte[] data) throws DataFormatException {
        // Raw DEFLATE: no zlib header or checksum.
        Inflater inflater = new Inflater(true);
        try {
            inflater.setInput(data);
            ByteArrayOutputStream out = new ByteArrayOutputStream();
            byte[] buffer = new byte[64 * 1024];
            boolean padded = false;
            while (!inflater.finished()) {
                int n = inflater.inflate(buffer);
                out.write(buffer, 0, n);
                if (n == 0 && inflater.needsInput()) {
                    // Older JVMs want one byte beyond a raw stream to end it.
                    if (padded) {
                        throw new DataFormatException("a compressed section ends early");
                    }
                    inflater.setInput(new byte[1]);
                    padded = true;
                }
            }
            return out.toByteArray();
        } finally {
            inflater.end();
        }
    }

    private static void write(File file, byte[] data) throws IOException {
        OutputStream out = new FileOutputStream(file);
        try {
            out.write(data);
        } finally {
            out.close();
        }
    }

    // Big-endian reads; every length is checked against the bytes there are.

    private int u1() {
        return bytes[checked(position, 1)] & 0xFF;
    }

    private int u2() {
        return (u1() << 8) | u1();
    }

    private long u4() {
        return (long) u2() << 16 | u2();
    }

    private long u8() {
        long high = u4();
        return high << 32 | u4();
    }

    private byte[] bytes(long length) {
        int start = checked(position, length);
        byte[] out = new byte[(int) length];
        System.arraycopy(bytes, start, out, 0, out.length);
        return out;
    }

    /** A counted name of single-byte characters. */
    private String name() {
        byte[] name = bytes(u2());
        char[] chars = new char[name.length];
        for (int i = 0; i < name.length; i++) {
            chars[i] = (char) (name[i] & 0xFF);
        }
        return new String(chars);
    }

    /** Returns {@code at} and moves past {@code length} bytes there, when they are all there. */
    private int checked(long at, long length) {
        if (at < 0 || length < 0 || at > bytes.length || length > bytes.length - at) {
            throw new IllegalStateException("the resource table is damaged (offset " + at + ")");
        }
        position = (int) (at + length);
        return (int) at;
    }
}
